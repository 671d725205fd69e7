#pragma once

#include "data/DbBackend.h"
#include "data/PgConnection.h"

#include <memory>

// The database on a PostgreSQL server, shared by several workstations: the connection's backend when its data
// source is a postgresql:// URI. A dropped connection is reported (ConnectionLost) by the action that met it
// and made again by the next one.
class PgServerBackend final : public DbBackend
{
public:
    // Connects and checks the schema; throws DataError and keeps nothing open when either fails.
    explicit PgServerBackend(const QString& uri);

    Engine engine() const override { return Engine::PostgreSql; }
    QString location() const override { return m_connection.uri(); }

    QStringList tableNames() override;
    bool tableExists(const QString& name) override;
    QString quoteIdentifier(const QString& name) const override;

    ReadResult readTable(const QString& table, bool tablesOnly) override;
    ReadResult readQuery(const QString& sql, bool rowByRow) override;
    bool readRow(const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
                 std::vector<QVariant>& out) override;
    qint64 updateRow(const QString& table, qint64 rowId, const QStringList& columns, const QVariantList& newValues,
                     const QVariantList& originalValues) override;
    qint64 insertRow(const QString& table, const QStringList& columns, const QVariantList& values) override;

    void inTransaction(const QString& doing, const std::function<void()>& work) override;
    int execute(const QString& sql) override;
    int executeStatement(const QString& sql) override;

    PgConnection& connection() { return m_connection; }

private:
    PgConnection m_connection;
};

std::unique_ptr<DbBackend> openPgServerBackend(const QString& uri);
