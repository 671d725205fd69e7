#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The connection the data module owns: takes a Jet-style connection string (only its Data Source is used: the
// database file, which must exist) and stays open until closed. Datasets and commands run on it.
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

    // Opens the file; throws DataError when it is missing, no database, read-only or locked. Opening an open
    // connection does nothing.
    void open();
    // Closes; does nothing when closed.
    void close();
    bool isConnected() const { return m_db.isOpen(); }

    // Names of the tables and views, system tables left out; read afresh. Throws when not connected.
    QStringList tableNames() const;
    // Letter case ignored; read afresh. Throws when not connected.
    bool tableExists(const QString& name) const;

    // Runs a command (see SqlBackend::execute for the translated forms); returns the number of rows changed.
    int execute(const QString& sql);

    // The open Qt connection; throws DataError when not connected.
    const QSqlDatabase& database() const;

    static QString dataSourceOf(const QString& connectionString);

private:
    QString m_connectionString;
    QString m_name;
    QSqlDatabase m_db;
};
