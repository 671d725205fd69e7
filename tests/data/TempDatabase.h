#pragma once

#include "data/DbConnection.h"
#include "data/Schema.h"
#include "data/ZarkU.h"

#include <QDir>
#include <QStringList>
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

    // Seven answered items in two scales and three sub-scales, with worked scores: scale الف 17 of 20 (85),
    // scale ج 5 of 15 (33.33, its last item reverse-scored); sub-scales ب 9/10, پ 8/10, ی 5/15.
    void addScoredItems()
    {
        connection->execute(
            QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question, Answer, Score) VALUES "
                           "('الف', 'ب', 1, 'q', 5, 5), ('الف', 'ب', 1, 'q', 4, 4), ('الف', 'پ', 1, 'q', 3, 3),"
                           "('الف', 'پ', 1, 'q', 5, 5), ('ج', 'ی', 1, 'q', 1, 1), ('ج', 'ی', 1, 'q', 2, 2), ('ج', 'ی', "
                           "0, 'q', 4, 2)"));
    }

    // The first `count` (1 to 3) of three short profiles: file numbers 5, 6 and 7; 7 has grade 9, outside the
    // grade table.
    void addShortProfiles(int count)
    {
        const QStringList rows{QStringLiteral("(5, '1402/01/01', 'a', 'b', 30, 0, 1, 'X', 0)"),
                               QStringLiteral("(6, '1402/01/02', 'c', 'd', 31, 1, 2, 'Y', 1)"),
                               QStringLiteral("(7, '1402/01/03', 'e', 'f', 32, 1, 9, 'Z', 1)")};
        connection->execute(QStringLiteral("INSERT INTO Profiles VALUES ") + rows.mid(0, count).join(QLatin1Char(',')));
    }

    // Copies Questions into a participant question table, as registration does, and returns its name.
    QString addParticipantTable(const QString& name = testParticipantTable)
    {
        connection->execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0").arg(name));
        return name;
    }
};
