#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>

struct pg_conn;
struct pg_result;

// One result of the server, freed with the object.
class PgResult
{
public:
    PgResult() = default;
    explicit PgResult(pg_result* result) : m_result(result, &clear) {}
    pg_result* get() const { return m_result.get(); }
    int rows() const;
    int columns() const;
    bool isNull(int row, int col) const;
    const char* raw(int row, int col) const;
    int length(int row, int col) const;
    QString text(int row, int col) const;
    qint64 integer(int row, int col) const;
    // Rows a command changed ("UPDATE 1", "SELECT 40" for a table made by SELECT INTO).
    int changed() const;

private:
    static void clear(pg_result* result);
    std::shared_ptr<pg_result> m_result;
};

// What the catalog says about a table or view, found by name without regard to case.
struct PgTableInfo
{
    QString name;           // as the server has it
    bool isTable = false;   // a table (not a view)
    QString key;            // its single-column integer key, empty when it has none
    bool keyIsPrimary = false;
    QStringList columns;    // as the server has them, in column order
    QStringList identity;   // columns the server numbers
    QStringList generated;  // identity columns and the primary key: the program does not write them
    QStringList defaults;   // "column = expression" for every column with a default
    QStringList notNull;    // columns that refuse an empty value
};

// The parts of a server's connection URI a person needs to reach the server or to write its line of the password
// file, with libpq's defaults for the parts the URI leaves out.
struct PgAddress
{
    QString host;
    QString port;
    QString database;
    QString user;

    QString hostAndPort() const { return host + QLatin1Char(':') + port; }
    // The password file's line for this address, `password` standing for the password.
    QString passwordLine(const QString& password) const;
};

// A connection to a PostgreSQL server through libpq, made from a connection URI that holds no password: the
// password comes from the user's password file (~/.pgpass or $PGPASSFILE), which must be readable by its owner
// only. Errors throw DataError with a kind the windows act on.
//
// A connection the server or the network dropped is reported as ConnectionLost by the action that met it; the
// next action reconnects, so a window keeps its current item and the counsellor simply tries again.
class PgConnection
{
public:
    explicit PgConnection(QString uri);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects; throws DataError with a server kind (unreachable, no password, login refused, database missing,
    // no permission) or a password-file kind when it cannot. Opening an open connection does nothing.
    void open();
    void close();
    bool isOpen() const { return m_conn != nullptr; }

    // The URI as given; it never holds a password.
    QString uri() const { return m_uri; }
    // "database on host:port" for the status line and errors.
    QString describe() const;

    // Runs one statement with its parameters (text form; a null QVariant is SQL NULL). `kept` keeps the
    // statement prepared on this connection for the writes repeated at every answer. Throws DataError headed by
    // `doing`; a text holding a second statement is refused before anything runs.
    PgResult exec(const QString& sql, const QVariantList& params, const QString& doing, bool kept = false);
    // Runs a script of one or more statements through the simple protocol; returns the rows they changed.
    int execScript(const QString& sql, const QString& doing);

    // Runs `work` in one transaction, or in a savepoint inside a running one (see SqlBackend::inTransaction).
    void inTransaction(const QString& doing, const std::function<void()>& work);
    bool inTransaction() const { return m_depth > 0; }

    // The libpq handle, connecting again first when the previous action found the connection dropped.
    pg_conn* handle();

    // Facts read from the server's catalog about the tables used, by lower-case name; forgotten at every connect
    // and reconnect, so a post costs one round trip and never acts on another session's knowledge.
    std::map<QString, PgTableInfo>& knownTables() { return m_knownTables; }

    // The server's parameter as text, for tests and the database tool.
    QString serverSetting(const char* name);

    // The password file libpq reads, and the check made before connecting: throws AccessDenied when the file
    // exists and others may read or write it.
    static QString passwordFile();
    static void checkPasswordFile();
    // Throws when `uri` is no connection URI or holds a password.
    static void checkUri(const QString& uri);
    // What `uri` addresses; the URI itself as host when libpq cannot read it.
    static PgAddress addressOf(const QString& uri);

    // Text form of a value for a parameter; empty array for NULL.
    static QByteArray parameterText(const QVariant& value);

private:
    void reconnectIfDropped();
    [[noreturn]] void throwResultError(pg_result* result, const QString& doing);

    QString m_uri;
    pg_conn* m_conn = nullptr;
    int m_depth = 0;
    int m_savepoints = 0;
    std::map<QString, PgTableInfo> m_knownTables;
    std::map<QString, QByteArray> m_prepared; // statement text -> prepared name
};
