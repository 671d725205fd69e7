#pragma once

// The tables of a Ravlen database file.
//
// To make a new, empty database file (it must not exist yet):
//     Schema::createDatabaseFile(QDir(folder).filePath("Ravlen.mdb"));
// then open it like any other:
//     DbConnection db;
//     db.setConnectionString(JetConnectionString(fileName, QString()));
//     db.open();
// and fill Questions with plain INSERTs (db.execute) or a TableDataSet's insertRecord.
// Throws DataError when the file exists already or cannot be written.

#include <QString>
#include <QStringList>

class DbConnection;

namespace Schema {

// The statements that create Profiles (with the unique index on FileNo) and Questions.
QStringList statements();

// Creates Profiles and Questions on an open connection to an empty database, all or nothing.
void createTables(DbConnection& connection);

// Creates a new database file holding the two tables, with no rows.
void createDatabaseFile(const QString& fileName);

} // namespace Schema
