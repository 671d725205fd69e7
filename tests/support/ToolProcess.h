#pragma once

// Runs a built command-line program of ours (ravlen-db) as a real process and reads back a file's bytes, for the
// suites that check what a command prints and leaves on disk.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolResult
{
    int exitCode = -1; // -1: did not finish within a minute, or crashed
    QString out;
    QString err;
};

inline ToolResult runTool(const QString& program, const QStringList& args, const QString& workDir = QString())
{
    QProcess process;
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Empty when the file cannot be read.
inline QByteArray fileBytes(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
