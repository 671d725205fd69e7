#pragma once

#include "data/DbBackend.h"
#include "data/TableNameSet.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The connection the data module owns: takes a Jet-style connection string (only its Data Source is used: the
// database file, which must exist, or a database server's URI) and stays open until closed. Datasets and
// commands run on the backend it opened.
class DbConnection
{
public:
    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    void setConnectionString(const QString& connectionString);
    QString connectionString() const { return m_connectionString; }

    // The database file named by the connection string's Data Source item.
    QString fileName() const;

    // Opens the database with the backend its Data Source calls for (see openBackend); throws DataError when it
    // is missing, no database, read-only or locked. Opening an open connection does nothing.
    void open();
    // Closes; does nothing when closed.
    void close();
    bool isConnected() const { return m_backend != nullptr; }
    // Whether the open database was opened for reading only (DbBackend::readOnly); false when not connected.
    bool isReadOnly() const { return m_backend && m_backend->readOnly(); }

    // The open database's backend; throws DataError when not connected.
    DbBackend& backend() const;

    // Names of the tables and views, system tables left out; read afresh. Throws when not connected.
    QStringList tableNames() const;
    // Letter case ignored; read afresh. Throws when not connected.
    bool tableExists(const QString& name) const;
    // The same names read once into a set, for work that asks about many tables. Throws when not connected.
    TableNameSet tableNameSet() const;

    // Runs a command, or a script of several (see SqlBackend::execute for the translated forms); returns the
    // number of rows changed. For the schema, the database tool and tests.
    int execute(const QString& sql);
    // Runs exactly one statement; text holding a second one is refused with nothing run.
    int executeStatement(const QString& sql);

    // Runs `work` as one unit of work: everything it writes through this connection (rows inserted or posted by
    // datasets, commands, table copies) is kept when it returns and undone when it throws, and the error then
    // goes on to the caller. Datasets that inserted or posted rows inside it get their rows back as the file
    // has them. Units nest: an inner unit that throws undoes only its own writes; the outer one decides about
    // the rest. `doing` heads the error when the unit cannot start or end (another program holding the file).
    void inTransaction(const QString& doing, const std::function<void()>& work);
    // Makes the database whole at a pause (a finished test, the program's end): see DbBackend::checkpoint.
    // True when not connected. Inside a unit of work it does nothing and answers false: the unit's writes are not
    // committed yet.
    bool checkpoint();

    // How many units of work are running on this connection; 0 outside any.
    int transactionDepth() const { return int(m_rollbackSteps.size()); }
    // Inside a unit of work: `undo` runs if the innermost running unit (or one around it) is undone, after the
    // file has been rolled back, most recent first. Outside any unit it is dropped. For datasets whose rows in
    // memory must follow the file; `undo` must not throw.
    void onRollback(std::function<void()> undo);

    // The open Qt connection of a SQLite file, for callers that read the file directly; throws DataError when
    // not connected, and on a database server.
    const QSqlDatabase& database() const;

    static QString dataSourceOf(const QString& connectionString);

    // How the next open finds out the file system its file lies on (a file on a network file system is
    // refused). Tests give their own answer; a network file system cannot be mounted there.
    void setFileSystemTypeProbe(FileSystemCheck::TypeProbe probe) { m_fileSystemType = std::move(probe); }
private:
    // One list per running unit, innermost last.
    std::vector<std::vector<std::function<void()>>> m_rollbackSteps;
    QString m_connectionString;
    std::unique_ptr<DbBackend> m_backend;
    FileSystemCheck::TypeProbe m_fileSystemType = FileSystemCheck::fileSystemTypeOf;
};
