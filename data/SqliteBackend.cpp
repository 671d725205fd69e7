#include "data/SqliteBackend.h"

#include "data/DataError.h"
#include "data/SqlBackend.h"

std::unique_ptr<SqliteBackend> SqliteBackend::open(const QString& fileName,
                                                   const FileSystemCheck::TypeProbe& fileSystemType,
                                                   SqlBackend::ReadOnlyFile readOnlyFile)
{
    return std::unique_ptr<SqliteBackend>(new SqliteBackend(fileName, Mode::Open, fileSystemType, readOnlyFile));
}

std::unique_ptr<SqliteBackend> SqliteBackend::create(const QString& fileName)
{
    return std::unique_ptr<SqliteBackend>(
        new SqliteBackend(fileName, Mode::Create, FileSystemCheck::fileSystemTypeOf, SqlBackend::ReadOnlyFile::Refuse));
}

// Qt names its connections process-wide; the address tells this one from every other one alive.
SqliteBackend::SqliteBackend(const QString& fileName, Mode mode, const FileSystemCheck::TypeProbe& fileSystemType,
                             SqlBackend::ReadOnlyFile readOnlyFile)
    : m_fileName(fileName), m_connectionName(QStringLiteral("ravlen-%1").arg(quintptr(this), 0, 16))
{
    m_db = mode == Mode::Open
               ? SqlBackend::openDatabase(m_connectionName, fileName, fileSystemType, readOnlyFile, &m_readOnly)
               : SqlBackend::createDatabase(m_connectionName, fileName);
}

SqliteBackend::~SqliteBackend()
{
    // Closing is a pause too. The engine folds the log in itself when the last connection to the file closes;
    // this also covers a close while another program still has the file open.
    try {
        checkpoint();
    } catch (const DataError&) {
        // The file keeps its log, and with it every commit; the next open finishes the work.
    }
    // The kept statements hold the engine's handle open; they go before the connection.
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QStringList SqliteBackend::tableNames()
{
    return SqlBackend::tableNames(m_db);
}

bool SqliteBackend::tableExists(const QString& name)
{
    return SqlBackend::tableExists(m_db, name);
}

QString SqliteBackend::quoteIdentifier(const QString& name) const
{
    return SqlBackend::quoteIdentifier(name);
}

ReadResult SqliteBackend::readTable(const QString& table, bool tablesOnly)
{
    return SqlBackend::readTable(m_db, table, tablesOnly);
}

ReadResult SqliteBackend::readQuery(const QString& sql, bool rowByRow)
{
    return SqlBackend::readQuery(m_db, sql, rowByRow);
}

bool SqliteBackend::readRow(const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
                            std::vector<QVariant>& out)
{
    return SqlBackend::readRow(m_db, table, fields, rowId, out);
}

qint64 SqliteBackend::updateRow(const QString& table, qint64 rowId, const QStringList& columns,
                                const QVariantList& newValues, const QVariantList& originalValues)
{
    requireWritable();
    SqlBackend::updateRow(m_db, m_statements, table, rowId, columns, newValues, originalValues);
    return rowId;
}

qint64 SqliteBackend::insertRow(const QString& table, const QStringList& columns, const QVariantList& values)
{
    requireWritable();
    return SqlBackend::insertRow(m_db, table, columns, values);
}

void SqliteBackend::inTransaction(const QString& doing, const std::function<void()>& work)
{
    requireWritable();
    SqlBackend::inTransaction(m_db, doing, work);
}

int SqliteBackend::execute(const QString& sql)
{
    requireWritable();
    return SqlBackend::execute(m_db, sql);
}

int SqliteBackend::executeStatement(const QString& sql)
{
    requireWritable();
    return SqlBackend::executeStatement(m_db, sql);
}

bool SqliteBackend::checkpoint()
{
    // Opened for reading, this program cannot write the log into the file; a program that may does it.
    if (m_readOnly)
        return false;
    return SqlBackend::checkpoint(m_db);
}

void SqliteBackend::requireWritable() const
{
    if (m_readOnly)
        throw DataError(QStringLiteral("Cannot write database file '%1': the file or its folder is read-only for this "
                                       "user, so it is open for reading only")
                            .arg(m_fileName),
                        DataError::Kind::ReadOnly);
}
