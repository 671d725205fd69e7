#pragma once

#include <QList>
#include <QString>

// Whether a file is a sound Ravlen database, found without changing it: the engine's integrity check and the
// program's own schema check, on a read-only open.
namespace Check {

struct Finding
{
    QString problem; // what is wrong, in plain words
    QString advice;  // what the user should do about it
};

struct Report
{
    QList<Finding> findings;
    qint64 participants = 0;
    qint64 items = 0;

    bool sound() const { return findings.isEmpty(); }
};

Report checkDatabase(const QString& fileName);

} // namespace Check
