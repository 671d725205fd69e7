#pragma once

#include "data/DbConnection.h"
#include "data/Schema.h"
#include "data/ZarkU.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

// The participant question table the tests' second workstations answer in.
inline const QString testParticipantTable = QStringLiteral("ABCDEFGHIJKLMNO");

// A fresh database file with the application's tables in a temporary folder, and a connection open on it.
struct TempDatabase
{
    QTemporaryDir dir;
    QString fileName;
    std::unique_ptr<DbConnection> connection;

    TempDatabase()
    {
        fileName = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
        Schema::createDatabaseFile(fileName);
        connection = std::make_unique<DbConnection>();
        connection->setConnectionString(JetConnectionString(fileName, QString()));
        connection->open();
    }

    DbConnection& db() { return *connection; }

    // Copies Questions into a participant question table, as registration does, and returns its name.
    QString addParticipantTable(const QString& name = testParticipantTable)
    {
        connection->execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0").arg(name));
        return name;
    }
};
