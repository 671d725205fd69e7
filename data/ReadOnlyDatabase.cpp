#include "data/ReadOnlyDatabase.h"

#include "data/DataError.h"
#include "data/FileSystemCheck.h"
#include "data/SchemaCheck.h"
#include "data/SqliteStatement.h"
#include "data/SqlBackend.h"

#include <QFileInfo>
#include <QSqlError>
#include <QUrl>

namespace {

void refuseUnopenable(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString doing = QStringLiteral("Cannot read database file '%1': ").arg(fileName);
    if (!info.exists() && FileSystemCheck::folderRefusesThisUser(fileName))
        throw DataError(doing + QStringLiteral("this user may not enter its folder"), DataError::Kind::AccessDenied);
    if (!info.exists())
        throw DataError(doing + QStringLiteral("the file does not exist"), DataError::Kind::MissingFile);
    if (!info.isFile())
        throw DataError(doing + QStringLiteral("it is not a file"), DataError::Kind::NotADatabase);
    if (!info.isReadable())
        throw DataError(doing + QStringLiteral("this user may not read it"), DataError::Kind::AccessDenied);
    // The engine takes an empty file for a new, empty database; it holds no Ravlen data either way.
    if (info.size() == 0)
        throw DataError(doing + QStringLiteral("the file is empty"), DataError::Kind::NotADatabase);
}

} // namespace

ReadOnlyDatabase::ReadOnlyDatabase(const QString& fileName, Schema schema)
    // Qt names its connections process-wide; the address tells this one from every other one alive.
    : m_fileName(fileName), m_connectionName(QStringLiteral("ravlen-read-%1").arg(quintptr(this), 0, 16))
{
    refuseUnopenable(fileName);
    try {
        open(QStringLiteral("mode=ro"));
    } catch (const DataError&) {
        // A file in write-ahead-log mode on media nobody may write: the engine cannot make its read-side files
        // there, and nobody can change the file while it is read, so it may be read as it lies.
        if (QFileInfo(QFileInfo(fileName).absolutePath()).isWritable())
            throw;
        open(QStringLiteral("mode=ro&immutable=1"));
    }
    try {
        // Earlier builds declared the program's collation on the text columns; registering it writes nothing.
        SqlBackend::registerCollation(m_db);
        if (schema == Schema::Checked)
            SchemaCheck::require(m_db, fileName);
    } catch (...) {
        release();
        throw;
    }
}

ReadOnlyDatabase::~ReadOnlyDatabase()
{
    release();
}

sqlite3* ReadOnlyDatabase::handle() const
{
    return Sqlite::handleOrNull(m_db);
}

void ReadOnlyDatabase::open(const QString& uriOptions)
{
    release();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    // A URI, so that a name holding '?' or '#' is taken literally; mode=ro on top of the read-only flag.
    m_db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(m_fileName).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                         QLatin1Char('?') + uriOptions);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open()) {
        const QString reason = m_db.lastError().text();
        release();
        throw DataError(QStringLiteral("Cannot read database file '%1': %2").arg(m_fileName, reason),
                        DataError::Kind::NotADatabase);
    }
    // The engine reads the file only at the first statement: a foreign or damaged file is refused here, not
    // half-way through the caller's work.
    try {
        SqlBackend::readQuery(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master"), false);
    } catch (const DataError& e) {
        release();
        throw DataError(QStringLiteral("Cannot read database file '%1': %2").arg(m_fileName, e.message()), e.kind());
    }
}

void ReadOnlyDatabase::release()
{
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}
