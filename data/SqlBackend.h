#pragma once

#include "data/DbBackend.h"
#include "data/Field.h"
#include "data/FileSystemCheck.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

// Everything that depends on the database engine lives behind this one class: opening the file with its journal,
// sync and lock settings, the text collation, the table listing, reading rows with their identity, and the
// translation of the few SQL forms the engine does not speak. Another engine gets another implementation.
namespace Sqlite {
class StatementCache;
}

namespace SqlBackend {

// Persian alphabetical order as a collation of our connections, for files made by an earlier build whose text
// columns declared it. New files declare none (any SQLite tool must read them); queries get Persian order from
// the query dataset, which sorts on their ORDER BY.
inline constexpr const char* textCollation = "PERSIAN";

// What openDatabase does with a file this user may read but not change: a file nobody may write, or one in a
// folder where the engine cannot keep its side files (read-only media, another user's folder).
enum class ReadOnlyFile
{
    Refuse,         // throws DataError (ReadOnly), for work that has to write
    OpenForReading, // opens it for reading only: no setting is written, every write is refused
};

// Opens `fileName` on a new Qt connection named `connectionName`. Never creates a missing file. Checks the schema
// first (the two tables with every column the program reads, no trigger), then applies the durability and
// sharing settings and registers the collation; throws DataError when the file is missing, is no database or no
// Ravlen database, is read-only (see ReadOnlyFile) or stays locked. A refused file is left unchanged.
// `openedForReading`, when given, tells whether the file was opened for reading only.
QSqlDatabase openDatabase(const QString& connectionName, const QString& fileName,
                          const FileSystemCheck::TypeProbe& fileSystemType = FileSystemCheck::fileSystemTypeOf,
                          ReadOnlyFile readOnlyFile = ReadOnlyFile::Refuse, bool* openedForReading = nullptr);

// Creates an empty database file (it must not exist yet) and returns it open, as openDatabase does.
QSqlDatabase createDatabase(const QString& connectionName, const QString& fileName);

void registerCollation(QSqlDatabase& db);

// Folds the write-ahead log into the database file, so that the file alone, copied by any means, holds every
// commit made so far. Never waits: a reader in another program that still reads an older state keeps the log's
// newer part out of the file until it finishes, and then this returns false (the next pause finishes the work).
// Throws DataError when the engine fails to write the file (a full disk, an input/output error).
bool checkpoint(const QSqlDatabase& db);

// Deletes a database file that was being made, with the side files the engine keeps beside it. Only for a file
// this program has just created and closed.
void removeDatabaseFiles(const QString& fileName);

// Names of the user tables and views, read afresh.
QStringList tableNames(const QSqlDatabase& db);

// Whether a user table or view of that name exists, letter case ignored; read afresh.
bool tableExists(const QSqlDatabase& db, const QString& name);

// Quotes an identifier for use in SQL text.
QString quoteIdentifier(const QString& name);

// The rows read, as every backend gives them.
using ReadResult = ::ReadResult;

// `tablesOnly` refuses a view of that name (bad table name).
ReadResult readTable(const QSqlDatabase& db, const QString& table, bool tablesOnly = false);
// `rowByRow` also fills ReadResult::values.
ReadResult readQuery(const QSqlDatabase& db, const QString& sql, bool rowByRow = true);

// Reads one row of `table` by identity, in the field order of `fields`; false when it no longer exists.
bool readRow(const QSqlDatabase& db, const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
             std::vector<QVariant>& out);

// Writes the changed fields of one row. `original` holds the values read, so a row changed meanwhile by another
// process is not overwritten blindly. Throws DataError when the row is gone or was changed. The statement stays
// prepared in `kept`, the connection's cache, for the next answer.
void updateRow(const QSqlDatabase& db, Sqlite::StatementCache& kept, const QString& table, qint64 rowId,
               const QStringList& columns, const QVariantList& newValues, const QVariantList& originalValues);

// Inserts one row and returns its identity.
qint64 insertRow(const QSqlDatabase& db, const QString& table, const QStringList& columns, const QVariantList& values);

// Runs `work` in one write transaction: committed when it returns, rolled back when it throws, so a failure part
// way leaves nothing behind. Inside a transaction already open it runs as a savepoint, so the layer's own
// all-or-nothing steps (the table copy) compose into a caller's unit of work. `doing` heads the error when the
// transaction cannot start or end.
void inTransaction(const QSqlDatabase& db, const QString& doing, const std::function<void()>& work);

// Runs a command. Translates the forms the engine lacks (SELECT * INTO <new> FROM <table> [WHERE ...]).
// Returns the number of rows changed.
int execute(const QSqlDatabase& db, const QString& sql);

// Runs exactly one statement (or the table copy above); text holding a second statement is refused before
// anything runs. For command texts built from what a user typed or a file held.
int executeStatement(const QSqlDatabase& db, const QString& sql);

} // namespace SqlBackend
