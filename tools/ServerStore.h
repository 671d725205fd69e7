#pragma once

#include "tools/ItemCsv.h"

#include <QList>
#include <QString>

// What the database tool does to a database on a PostgreSQL server. Every function throws DataError when it
// cannot do its work, and leaves the server database as it found it: each runs as one transaction.
namespace ServerStore {

// Makes the tables and fills the item bank on an empty server database; refuses one holding any table or view.
void createServer(const QString& uri, const QList<BankItem>& items);

struct Migration
{
    int participants = 0;
    int participantTables = 0;
    qint64 answerRows = 0; // rows of every participant table together
    int items = 0;
};

// Copies a database file's item bank, profiles and every participant question table to an empty server
// database in one transaction, then compares the server's row counts with the file's; a difference undoes it
// all. The file is only read.
Migration migrate(const QString& fileName, const QString& uri);

struct ServerCounts
{
    int participants = 0;
    int items = 0;
};

// Connects, checks the schema as the program does, and counts the participants and items.
ServerCounts checkServer(const QString& uri);

struct Copied
{
    int participants = 0;
    int participantTables = 0;
    int items = 0;
};

// Copies the server database, as one consistent snapshot taken while workstations go on working, into a new
// database file: the items, the profiles and every participant question table, with every count compared. The
// file appears complete or not at all and never replaces an existing one.
Copied copyToFile(const QString& uri, const QString& fileName);

} // namespace ServerStore
