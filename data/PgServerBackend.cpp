#include "data/PgServerBackend.h"

#include "data/PgBackend.h"

#include <QRegularExpression>

PgServerBackend::PgServerBackend(const QString& uri) : m_connection(uri)
{
    PgBackend::openChecked(m_connection);
}

QStringList PgServerBackend::tableNames()
{
    return PgBackend::tableNames(m_connection);
}

bool PgServerBackend::tableExists(const QString& name)
{
    return PgBackend::tableExists(m_connection, name);
}

QString PgServerBackend::quoteIdentifier(const QString& name) const
{
    // The server folds an unquoted name to lower case, and the tables are made unquoted: a plain name is quoted
    // folded, so it addresses the same table and still may be a word SQL reserves.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return SqlBackend::quoteIdentifier(plain.match(name).hasMatch() ? name.toLower() : name);
}

ReadResult PgServerBackend::readTable(const QString& table, bool tablesOnly)
{
    return PgBackend::readTable(m_connection, table, tablesOnly);
}

ReadResult PgServerBackend::readQuery(const QString& sql, bool rowByRow)
{
    return PgBackend::readQuery(m_connection, sql, rowByRow);
}

bool PgServerBackend::readRow(const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
                              std::vector<QVariant>& out)
{
    return PgBackend::readRow(m_connection, table, fields, rowId, out);
}

qint64 PgServerBackend::updateRow(const QString& table, qint64 rowId, const QStringList& columns,
                                  const QVariantList& newValues, const QVariantList& originalValues)
{
    return PgBackend::updateRow(m_connection, table, rowId, columns, newValues, originalValues);
}

qint64 PgServerBackend::insertRow(const QString& table, const QStringList& columns, const QVariantList& values)
{
    return PgBackend::insertRow(m_connection, table, columns, values);
}

void PgServerBackend::inTransaction(const QString& doing, const std::function<void()>& work)
{
    m_connection.inTransaction(doing, work);
}

int PgServerBackend::execute(const QString& sql)
{
    return PgBackend::execute(m_connection, sql);
}

int PgServerBackend::executeStatement(const QString& sql)
{
    return PgBackend::executeStatement(m_connection, sql);
}

std::unique_ptr<DbBackend> openPgServerBackend(const QString& uri)
{
    return std::make_unique<PgServerBackend>(uri);
}
