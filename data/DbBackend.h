#pragma once

#include "data/ColumnStore.h"
#include "data/Field.h"
#include "data/FileSystemCheck.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

// Rows read into memory: field descriptions, the values column by column and, for tables, the identity of each
// row that updates address.
struct ReadResult
{
    std::vector<FieldDef> fields;
    ColumnStore store;
    std::vector<qint64> rowIds;
    // readQuery with rowByRow only: the same values row by row (fields.size() per row), for small results.
    std::vector<QVariant> values;
};

// One open database as the layer above sees it, whatever engine holds it: a SQLite file on this computer or a
// PostgreSQL server shared by several workstations. The connection owns one, chosen when it opens; datasets,
// commands and units of work go through it. Every failure throws DataError with the kind a window acts on.
//
// A backend is open from its making to its destruction; it is used from one thread at a time.
class DbBackend
{
public:
    enum class Engine
    {
        SqliteFile,
        PostgreSql,
    };

    virtual ~DbBackend() = default;
    DbBackend(const DbBackend&) = delete;
    DbBackend& operator=(const DbBackend&) = delete;

    virtual Engine engine() const = 0;
    // What the connection is on, for the main window and error texts: the file name, or the server's address
    // without any password.
    virtual QString location() const = 0;

    // Names of the user tables and views, the engine's own left out, read afresh.
    virtual QStringList tableNames() = 0;
    // Whether a user table or view of that name exists, letter case ignored; read afresh.
    virtual bool tableExists(const QString& name) = 0;
    // The name as it goes into SQL text so that it addresses the table the program's unquoted SQL names.
    virtual QString quoteIdentifier(const QString& name) const = 0;

    // Every row of a table or view. A table's rows come with their identities and its auto-numbered column is
    // read-only; every field of a view is read-only. Throws Schema when there is no such table, BadTableName when
    // `tablesOnly` and it is a view.
    virtual ReadResult readTable(const QString& table, bool tablesOnly) = 0;
    // The rows of a query; every field read-only, no identities. `rowByRow` also fills ReadResult::values.
    virtual ReadResult readQuery(const QString& sql, bool rowByRow) = 0;
    // One row of `table` by identity, the stored fields of `fields` in their order; false when it is gone.
    virtual bool readRow(const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
                         std::vector<QVariant>& out) = 0;

    // Writes the changed columns of one row, only if each still holds its value in `originalValues` (IS, so an
    // empty value matches an empty one); otherwise nothing is written and it throws Conflict, as when the row is
    // gone. Returns the row's identity afterwards (an engine whose identity is a key column may change it). The
    // write repeated at every answer: keep its statement prepared.
    virtual qint64 updateRow(const QString& table, qint64 rowId, const QStringList& columns,
                             const QVariantList& newValues, const QVariantList& originalValues) = 0;
    // Inserts one row (columns left out take their defaults) and returns its identity.
    virtual qint64 insertRow(const QString& table, const QStringList& columns, const QVariantList& values) = 0;

    // Runs `work` in one write transaction: committed when it returns, rolled back when it throws (the error goes
    // on). Inside a running one it is a savepoint, so a failing inner unit undoes only its own writes. `doing`
    // heads the error when the transaction cannot start or end.
    virtual void inTransaction(const QString& doing, const std::function<void()>& work) = 0;

    // Runs a command or a script of several separated by ';', and "SELECT * INTO <new> FROM <table> [WHERE ...]"
    // (a copy of the table with its column declarations, all or nothing); returns the rows changed in all.
    virtual int execute(const QString& sql) = 0;
    // Runs exactly one statement (or the table copy); text holding a second one is refused before anything runs.
    // For texts built from what a user typed or a file held.
    virtual int executeStatement(const QString& sql) = 0;

    // Makes the database whole where a copy would look for it: a file whose latest commits still wait in a side
    // log gets them written into itself, so a copy of the file alone holds every commit. Returns false when
    // another program's reading kept part of them out for now; throws DataError when writing fails. An engine
    // that keeps no such log (a server, which is backed up by its own tools) has nothing to do.
    virtual bool checkpoint() { return true; }

    // Whether the database was opened for reading only (a file or folder this user may not change): reading works,
    // and every write throws DataError (ReadOnly) with the text requireWritable gives.
    virtual bool readOnly() const { return false; }
    // Throws that error when the database was opened for reading only.
    virtual void requireWritable() const {}

protected:
    DbBackend() = default;
};

// Makes rows read by a query what readQuery promises: every field read-only (query rows have no identity to
// write back through) and, with `rowByRow`, the values row by row too. For every backend's readQuery.
void finishQueryRows(ReadResult& rows, bool rowByRow);

// The connection URI when a data source names a database server rather than a file: a postgresql:// or
// postgres:// URI, the scheme in any letter case and blanks around it allowed. Returned without the blanks and
// with the scheme in small letters, as libpq reads it; empty for a file. The program and the database tool decide
// "server or file" by this one rule.
QString serverUriOf(const QString& dataSource);
bool isServerDataSource(const QString& dataSource);

// Opens the database a data source names: a PostgreSQL connection URI (postgresql://...) or a SQLite file, which
// must exist. Checks the schema before anything is written and throws DataError when the database is missing,
// unreachable, no Ravlen database or locked. A file this user may read but not change opens for reading only
// (DbBackend::readOnly).
// `fileSystemType` tells where a file lies (see FileSystemCheck).
std::unique_ptr<DbBackend> openBackend(const QString& dataSource,
                                       const FileSystemCheck::TypeProbe& fileSystemType = FileSystemCheck::fileSystemTypeOf);
