#include "tests/support/TempRavlenDb.h"

#include "data/ZarkU.h"
#include "tools/ItemStore.h"

#include <QDir>

#include <stdexcept>

TempRavlenDb::TempRavlenDb()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary folder for the database");
    ItemStore::createDatabase(path(), ItemStore::bundledItems());
}

QString TempRavlenDb::path() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
}

QString TempRavlenDb::dir() const
{
    return m_dir.path();
}

std::unique_ptr<DbConnection> TempRavlenDb::connect() const
{
    auto connection = std::make_unique<DbConnection>();
    connection->setConnectionString(JetConnectionString(path(), QString()));
    connection->open();
    return connection;
}
