#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// A throwaway PostgreSQL cluster for the suites: initdb into a fresh temporary folder, the server started on a
// free loopback port, trust authentication for 127.0.0.1 only, stopped and deleted when the object goes.
//
// The server refuses to run as root, so under root it runs as the unprivileged user `nobody`, with its data
// folder owned by that user. It is started with a parent-death signal, so a suite killed part way takes its
// server with it; folders left behind by such a run are swept when the next cluster starts.
//
// Suites share one cluster per process (instance()) and take a fresh database per case (createDatabase()).
class PgCluster
{
public:
    // Starts the cluster; throws std::runtime_error with the server's log when it cannot.
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // The cluster of this process, started on first use and stopped at exit.
    static PgCluster& instance();

    int port() const { return m_port; }
    // The superuser every database belongs to.
    static QString user();

    // A connection URI for database `name` (no password: the cluster trusts loopback connections).
    QString uri(const QString& name) const;

    // Creates an empty database with a unique name (or `name` when given) and returns its URI.
    QString createDatabase(const QString& name = QString());
    void dropDatabase(const QString& name);

    // Runs one command on database `name` (the maintenance database by default) and returns the first column
    // of the first row, empty when there is none; throws with the server's text when it fails.
    QString query(const QString& sql, const QString& name = QStringLiteral("postgres")) const;

    // From now on `role` logs in only with its password (scram-sha-256); every other role stays trusted.
    void requirePassword(const QString& role);

    // The folder of the cluster's data; gone after the destructor.
    QString dataDir() const;

    // Where the server binaries (initdb, postgres, pg_ctl) are: $RAVLEN_PG_BINDIR or the newest installed.
    static QString binDir();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_port = 0;
    int m_nextDatabase = 0;
};
