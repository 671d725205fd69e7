#pragma once

#include "data/DbBackend.h"
#include "data/SqlBackend.h"
#include "data/SqliteStatement.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

// The database in a SQLite file on this computer, on its own Qt connection, with the statements it keeps
// prepared for the posts repeated at every answer.
class SqliteBackend final : public DbBackend
{
public:
    // Opens an existing Ravlen database file (see SqlBackend::openDatabase for what is refused, and for a file this
    // user may not change).
    static std::unique_ptr<SqliteBackend> open(
        const QString& fileName, const FileSystemCheck::TypeProbe& fileSystemType = FileSystemCheck::fileSystemTypeOf,
        SqlBackend::ReadOnlyFile readOnlyFile = SqlBackend::ReadOnlyFile::Refuse);
    // Creates a new, empty database file (it must not exist yet) and opens it without a schema check.
    static std::unique_ptr<SqliteBackend> create(const QString& fileName);
    ~SqliteBackend() override;

    // The Qt connection, for the callers that read the file through Qt or the engine directly.
    const QSqlDatabase& database() const { return m_db; }

    Engine engine() const override { return Engine::SqliteFile; }
    QString location() const override { return m_fileName; }
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
    bool checkpoint() override;
    bool readOnly() const override { return m_readOnly; }
    void requireWritable() const override;

private:
    enum class Mode
    {
        Open,
        Create
    };
    SqliteBackend(const QString& fileName, Mode mode, const FileSystemCheck::TypeProbe& fileSystemType,
                  SqlBackend::ReadOnlyFile readOnlyFile);

    QString m_fileName;
    bool m_readOnly = false;
    QString m_connectionName;
    QSqlDatabase m_db;
    Sqlite::StatementCache m_statements;
};
