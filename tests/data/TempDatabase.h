#pragma once

#include "data/DbConnection.h"
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "data/Schema.h"
#include "data/ZarkU.h"
#include "tests/support/PgCluster.h"
#include "tests/support/TempRavlenDb.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The participant question table the tests' second workstations answer in.
inline const QString testParticipantTable = QStringLiteral("ABCDEFGHIJKLMNO");

// A fresh database with the application's tables and no rows, and a connection open on it: a file in a temporary
// folder, or with RAVLEN_TEST_BACKEND=pg a new database on the suites' throwaway PostgreSQL cluster.
struct TempDatabase
{
    QTemporaryDir dir;
    QString fileName; // the file, or on the server the database's URI: what the data module connects to
    std::unique_ptr<DbConnection> connection;

    TempDatabase()
    {
        if (TempRavlenDb::onServer()) {
            fileName = PgCluster::instance().createDatabase();
            PgConnection server(fileName);
            server.open();
            PgBackend::createSchema(server);
        } else {
            fileName = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
            Schema::createDatabaseFile(fileName);
        }
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
                           "('الف', 'ب', true, 'q', 5, 5), ('الف', 'ب', true, 'q', 4, 4), "
                           "('الف', 'پ', true, 'q', 3, 3), ('الف', 'پ', true, 'q', 5, 5), ('ج', 'ی', true, 'q', 1, 1), "
                           "('ج', 'ی', true, 'q', 2, 2), ('ج', 'ی', false, 'q', 4, 2)"));
    }

    // The first `count` (1 to 3) of three short profiles: file numbers 5, 6 and 7; 7 has grade 9, outside the
    // grade table.
    void addShortProfiles(int count)
    {
        const QStringList rows{QStringLiteral("(5, '1402/01/01', 'a', 'b', 30, 0, 1, 'X', false)"),
                               QStringLiteral("(6, '1402/01/02', 'c', 'd', 31, 1, 2, 'Y', true)"),
                               QStringLiteral("(7, '1402/01/03', 'e', 'f', 32, 1, 9, 'Z', true)")};
        connection->execute(QStringLiteral("INSERT INTO Profiles VALUES ") + rows.mid(0, count).join(QLatin1Char(',')));
    }

    // Writes profile `fileNo` with a QTable past the column's own checks (its length), as a database tampered
    // with outside the program holds one.
    void addTamperedProfile(int fileNo, const QString& qtable)
    {
        const QString insert = QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (%1, '%2')")
                                   .arg(fileNo)
                                   .arg(QString(qtable).replace(QLatin1Char('\''), QLatin1String("''")));
        if (TempRavlenDb::onServer())
            connection->execute(QStringLiteral("ALTER TABLE Profiles ALTER COLUMN QTable TYPE varchar(255); ") +
                                insert);
        else
            connection->execute(QStringLiteral("PRAGMA ignore_check_constraints = ON; %1; "
                                               "PRAGMA ignore_check_constraints = OFF")
                                    .arg(insert));
    }

    // Copies Questions into a participant question table, as registration does, and returns its name.
    QString addParticipantTable(const QString& name = testParticipantTable)
    {
        connection->execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0").arg(name));
        return name;
    }
};
