#pragma once

#include "data/DbConnection.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A temporary folder holding a Ravlen.mdb made by the same code as `ravlen-db create`: the tables and the
// bundled item bank, no participants. The folder goes when the object does.
class TempRavlenDb
{
public:
    TempRavlenDb();

    // The database file, and the folder it is in (a window test can make it the working folder).
    QString path() const;
    QString dir() const;

    // A new connection, open on the file.
    std::unique_ptr<DbConnection> connect() const;

private:
    QTemporaryDir m_dir;
};
