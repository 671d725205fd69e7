#pragma once

#include "data/DbConnection.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A temporary folder holding a Ravlen.mdb made by the same code as `ravlen-db create`: the tables and the
// bundled item bank, no participants. The folder goes when the object does.
//
// With RAVLEN_TEST_BACKEND=pg in the environment the database is instead a fresh one on the suites' throwaway
// PostgreSQL cluster, made by the same code as `ravlen-db create-server`; path() is then its URI, and the
// folder holds a Ravlen.server naming it, so a window test that makes it the working folder connects there.
class TempRavlenDb
{
public:
    TempRavlenDb();

    // Whether this run's databases are on the server.
    static bool onServer();

    // The database file (or server URI), and the folder (a window test can make it the working folder).
    QString path() const;
    QString dir() const;

    // A new connection, open on the database.
    std::unique_ptr<DbConnection> connect() const;

private:
    QTemporaryDir m_dir;
    QString m_serverUri;
};
