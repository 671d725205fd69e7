#include "tests/support/TempRavlenDb.h"

#include "data/ZarkU.h"
#include "tests/support/PgCluster.h"
#include "tools/ItemStore.h"
#include "tools/ServerStore.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

TempRavlenDb::TempRavlenDb()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary folder for the database");
    if (!onServer()) {
        ItemStore::createDatabase(path(), ItemStore::bundledItems());
        return;
    }
    m_serverUri = PgCluster::instance().createDatabase();
    ServerStore::createServer(m_serverUri, ItemStore::bundledItems());
    QFile pointer(QDir(m_dir.path()).filePath(QStringLiteral("Ravlen.server")));
    if (!pointer.open(QIODevice::WriteOnly) || pointer.write(m_serverUri.toUtf8() + '\n') < 0)
        throw std::runtime_error("cannot write Ravlen.server");
}

bool TempRavlenDb::onServer()
{
    return qEnvironmentVariable("RAVLEN_TEST_BACKEND") == QLatin1String("pg");
}

QString TempRavlenDb::path() const
{
    return onServer() ? m_serverUri : QDir(m_dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
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
