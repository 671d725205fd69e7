#include "tools/ServerStore.h"

#include "data/DataError.h"
#include "data/DbConnection.h"
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "data/Schema.h"
#include "data/TableNameGuard.h"
#include "data/ZarkU.h"
#include "tools/ItemStore.h"
#include "tools/ReadOnlyDb.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sqlite3.h>

namespace ServerStore {
namespace {

QString countOf(PgConnection& connection, const QString& table)
{
    const SqlBackend::ReadResult r =
        PgBackend::readQuery(connection, QStringLiteral("SELECT count(*) FROM %1").arg(table));
    return r.values.front().toString();
}

QVariant fileValue(sqlite3_stmt* statement, int col)
{
    switch (sqlite3_column_type(statement, col)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, col));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, col)),
                                          sqlite3_column_bytes(statement, col)));
    }
}

// Copies every row of `table` from the file to the same table on the server, column by column by name; returns
// the number of rows the file holds. The rows go in the file's order, so the server numbers the profiles in the
// order they were registered.
qint64 copyRows(const ReadOnlyDb& file, PgConnection& server, const QString& table)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray sql = QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table).toUtf8();
    if (sqlite3_prepare_v2(file.handle(), sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw DataError(QStringLiteral("Cannot read table '%1' of database file '%2': %3")
                            .arg(table, file.fileName(), QString::fromUtf8(sqlite3_errmsg(file.handle()))));
    const auto finalize = qScopeGuard([statement] { sqlite3_finalize(statement); });
    QStringList columns;
    for (int c = 0; c < sqlite3_column_count(statement); ++c)
        columns << QString::fromUtf8(sqlite3_column_name(statement, c));
    qint64 rows = 0;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QVariantList values;
        for (int c = 0; c < columns.size(); ++c)
            values << fileValue(statement, c);
        PgBackend::insertRow(server, table, columns, values);
        ++rows;
    }
    if (rc != SQLITE_DONE)
        throw DataError(QStringLiteral("Cannot read table '%1' of database file '%2': %3")
                            .arg(table, file.fileName(), QString::fromUtf8(sqlite3_errmsg(file.handle()))));
    return rows;
}

void requireSameCount(PgConnection& server, const QString& table, qint64 fileRows)
{
    const QString serverRows = countOf(server, table);
    if (serverRows != QString::number(fileRows))
        throw DataError(QStringLiteral("Table '%1' has %2 rows in the file but %3 on the server; nothing was copied")
                            .arg(table)
                            .arg(fileRows)
                            .arg(serverRows));
}

void insertItems(PgConnection& server, const QList<BankItem>& items)
{
    const QStringList columns{QStringLiteral("Group1"), QStringLiteral("Group2"), QStringLiteral("Scoring"),
                              QStringLiteral("Question")};
    for (const BankItem& item : items)
        PgBackend::insertRow(server, QStringLiteral("Questions"), columns,
                             {item.group1, item.group2, item.scoring, item.question});
}

// Copies every row of the server's `table` into the file's table of the same name; returns the count.
int copyRowsToFile(PgConnection& server, DbConnection& file, const QString& table)
{
    const SqlBackend::ReadResult rows = PgBackend::readTable(server, table);
    QStringList columns;
    for (const FieldDef& f : rows.fields)
        columns << f.name;
    for (int row = 0; row < rows.store.rowCount(); ++row) {
        QVariantList values;
        for (int c = 0; c < rows.store.columnCount(); ++c)
            values << rows.store.value(row, c);
        SqlBackend::insertRow(file.database(), table, columns, values);
    }
    return rows.store.rowCount();
}

void requireSameCountInFile(DbConnection& file, const QString& table, int serverRows)
{
    const SqlBackend::ReadResult r =
        SqlBackend::readQuery(file.database(), QStringLiteral("SELECT count(*) FROM %1").arg(table));
    if (r.values.front().toInt() != serverRows)
        throw DataError(QStringLiteral("Table '%1' has %2 rows on the server but %3 in the copy")
                            .arg(table)
                            .arg(serverRows)
                            .arg(r.values.front().toInt()));
}

} // namespace

void createServer(const QString& uri, const QList<BankItem>& items)
{
    PgConnection server(uri);
    server.open();
    server.inTransaction(QStringLiteral("Cannot create the database on %1").arg(server.describe()), [&] {
        PgBackend::createSchema(server);
        insertItems(server, items);
    });
}

Migration migrate(const QString& fileName, const QString& uri)
{
    const ReadOnlyDb file(fileName);
    file.requireRavlenSchema();
    QStringList participantTables;
    for (const QString& table : file.column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                           "ORDER BY name")))
        if (isParticipantTableName(table))
            participantTables << table;

    PgConnection server(uri);
    server.open();
    Migration done;
    server.inTransaction(QStringLiteral("Cannot copy '%1' to %2").arg(fileName, server.describe()), [&] {
        PgBackend::createSchema(server);
        done.items = int(copyRows(file, server, QStringLiteral("Questions")));
        requireSameCount(server, QStringLiteral("Questions"), done.items);
        // Rows came with their numbers; new items added on the server continue after them.
        PgBackend::execute(server, QStringLiteral("SELECT setval(pg_get_serial_sequence('questions', 'row'), "
                                                  "coalesce(max(Row), 0) + 1, false) FROM Questions"));
        done.participants = int(copyRows(file, server, QStringLiteral("Profiles")));
        requireSameCount(server, QStringLiteral("Profiles"), done.participants);
        for (const QString& table : participantTables) {
            // Made the way registration makes one, so it has the server's column types, order and key.
            PgBackend::executeStatement(server,
                                        QStringLiteral("SELECT * INTO %1 FROM Questions WHERE false").arg(table));
            const qint64 rows = copyRows(file, server, table);
            requireSameCount(server, table, rows);
            done.answerRows += rows;
        }
        done.participantTables = int(participantTables.size());
    });
    return done;
}

ServerCounts checkServer(const QString& uri)
{
    PgConnection server(uri);
    PgBackend::openChecked(server);
    return {countOf(server, QStringLiteral("Profiles")).toInt(), countOf(server, QStringLiteral("Questions")).toInt()};
}

Copied copyToFile(const QString& uri, const QString& fileName)
{
    const QString what = QStringLiteral("the copy");
    ItemStore::refuseExisting(fileName, what);
    PgConnection server(uri);
    PgBackend::openChecked(server);
    // A folder beside the destination, so the finished file is renamed into place on the same disk.
    QTemporaryDir scratchDir(QFileInfo(fileName).absoluteDir().filePath(QStringLiteral(".ravlen-copy-XXXXXX")));
    if (!scratchDir.isValid())
        throw DataError(QStringLiteral("Cannot create '%1': %2").arg(fileName, scratchDir.errorString()));
    const QString scratch = scratchDir.filePath(QStringLiteral("Ravlen.mdb"));
    Schema::createDatabaseFile(scratch);
    Copied done;
    {
        DbConnection file;
        file.setConnectionString(JetConnectionString(scratch, QString()));
        file.open();
        const QString doing = QStringLiteral("Cannot copy %1 to '%2'").arg(server.describe(), fileName);
        server.inTransaction(doing, [&] {
            // One snapshot for every table: answers posted meanwhile are either all in the copy or not at all.
            PgBackend::execute(server, QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
            file.inTransaction(doing, [&] {
                done.items = copyRowsToFile(server, file, QStringLiteral("Questions"));
                requireSameCountInFile(file, QStringLiteral("Questions"), done.items);
                done.participants = copyRowsToFile(server, file, QStringLiteral("Profiles"));
                requireSameCountInFile(file, QStringLiteral("Profiles"), done.participants);
                for (const QString& name : PgBackend::tableNames(server)) {
                    const QString table = name.toUpper();
                    if (!isParticipantTableName(table))
                        continue;
                    file.execute(QStringLiteral("SELECT * INTO %1 FROM Questions WHERE Row < 0").arg(table));
                    requireSameCountInFile(file, table, copyRowsToFile(server, file, table));
                    ++done.participantTables;
                }
            });
        });
        file.close();
    }
    ItemStore::moveIntoPlace(scratch, fileName, what);
    return done;
}

} // namespace ServerStore
