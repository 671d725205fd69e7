#include "data/SqliteStatement.h"

#include <QSqlDriver>
#include <QSqlDatabase>

namespace Sqlite {

sqlite3* handleOrNull(const QSqlDatabase& db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    sqlite3* h = handleOrNull(db);
    if (!h)
        throw DataError(QStringLiteral("The database connection is not open"), DataError::Kind::NotConnected);
    return h;
}

int prepare(sqlite3* h, const char* sql, int bytes, unsigned flags, sqlite3_stmt** st, const char** tail)
{
    constexpr int attempts = 50;
    int rc = SQLITE_SCHEMA;
    for (int i = 0; i < attempts && (rc & 0xff) == SQLITE_SCHEMA; ++i)
        rc = sqlite3_prepare_v3(h, sql, bytes, flags, st, tail);
    return rc;
}

sqlite3_stmt* StatementCache::prepared(sqlite3* h, const QString& sql, const QString& doing)
{
    sqlite3_stmt*& cached = m_statements[sql];
    if (!cached) {
        const QByteArray utf8 = sql.toUtf8();
        if (prepare(h, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &cached, nullptr) != SQLITE_OK) {
            m_statements.erase(sql);
            throw engineError(h, doing);
        }
    }
    return cached;
}

void StatementCache::clear()
{
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    m_statements.clear();
}

void runToEnd(sqlite3* h, sqlite3_stmt* st, const QString& doing)
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
        throw engineError(h, doing);
}

void exec(sqlite3* h, const QString& sql, const QString& doing)
{
    const QByteArray utf8 = sql.toUtf8();
    const char* rest = utf8.constData();
    while (rest && *rest) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        if (prepare(h, rest, -1, 0, &raw, &tail) != SQLITE_OK)
            throw engineError(h, doing);
        const StatementHandle st(raw, &sqlite3_finalize);
        if (st)
            runToEnd(h, st.get(), doing);
        rest = tail;
    }
}

namespace {

// Whether `tail`, the text left after a statement, holds another statement; blanks, ';' and comments do not
// count, and text the engine cannot read counts as one.
bool holdsAnotherStatement(sqlite3* h, const char* tail)
{
    while (tail && *tail) {
        sqlite3_stmt* st = nullptr;
        const char* next = nullptr;
        if (prepare(h, tail, -1, 0, &st, &next) != SQLITE_OK)
            return true;
        if (st) {
            sqlite3_finalize(st);
            return true;
        }
        if (next == tail)
            return false;
        tail = next;
    }
    return false;
}

} // namespace

int runSingleStatement(sqlite3* h, const QString& sql, const QString& doing)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (prepare(h, utf8.constData(), int(utf8.size()), 0, &raw, &tail) != SQLITE_OK)
        throw engineError(h, doing);
    const StatementHandle st(raw, &sqlite3_finalize);
    if (holdsAnotherStatement(h, tail))
        throw DataError(doing + QStringLiteral(": the text holds more than one statement; nothing was run"));
    if (!st)
        return 0;
    const int before = sqlite3_total_changes(h);
    runToEnd(h, st.get(), doing);
    return sqlite3_total_changes(h) - before;
}

} // namespace Sqlite
