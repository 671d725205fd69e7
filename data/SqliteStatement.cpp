#include "data/SqliteStatement.h"

#include <QElapsedTimer>
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

namespace {

// Runs a statement that needs no schema (BEGIN, COMMIT, ROLLBACK); the engine's result code.
int runPlain(sqlite3* h, const char* sql)
{
    return sqlite3_exec(h, sql, nullptr, nullptr, nullptr);
}

} // namespace

int prepare(sqlite3* h, const char* sql, int bytes, unsigned flags, sqlite3_stmt** st, const char** tail)
{
    int rc = sqlite3_prepare_v3(h, sql, bytes, flags, st, tail);
    if ((rc & 0xff) != SQLITE_SCHEMA)
        return rc;
    if (sqlite3_get_autocommit(h)) {
        // No other program can add a table while this one holds the write lock, so the schema read under it is
        // still the file's when the statement is checked against it. Waiting for the lock is the ordinary wait.
        rc = runPlain(h, "BEGIN IMMEDIATE");
        if (rc != SQLITE_OK)
            return rc;
        rc = sqlite3_prepare_v3(h, sql, bytes, flags, st, tail);
        const int endRc = runPlain(h, "COMMIT");
        // Ending the transaction cleared the engine's message; a statement it refuses is refused again outside.
        return rc == SQLITE_OK ? endRc : sqlite3_prepare_v3(h, sql, bytes, flags, st, tail);
    }
    // Inside a transaction the file's schema only changes under a write lock this connection does not hold
    // yet; it settles as soon as the other program is done.
    QElapsedTimer waited;
    waited.start();
    while ((rc & 0xff) == SQLITE_SCHEMA && waited.elapsed() < schemaWaitMs)
        rc = sqlite3_prepare_v3(h, sql, bytes, flags, st, tail);
    return rc;
}

int SchemaHold::step(sqlite3* h, sqlite3_stmt* st)
{
    const bool first = !m_stepped;
    m_stepped = true;
    int rc = sqlite3_step(st);
    if (first && rc == SQLITE_SCHEMA && sqlite3_get_autocommit(h)) {
        // The engine's own re-preparations lost the race with other programs' registrations. Nothing of the
        // statement has run: it runs again under the write lock, where the schema stays as read.
        sqlite3_reset(st);
        rc = runPlain(h, "BEGIN IMMEDIATE");
        if (rc != SQLITE_OK)
            return rc;
        m_h = h;
        rc = sqlite3_step(st);
    }
    if (m_h && rc == SQLITE_DONE) {
        // Done: its writes become durable here, as they would have at the end of the statement on its own.
        sqlite3_reset(st);
        m_h = nullptr;
        const int endRc = runPlain(h, "COMMIT");
        if (endRc != SQLITE_OK) {
            runPlain(h, "ROLLBACK");
            return endRc;
        }
    }
    return rc;
}

void SchemaHold::release()
{
    // A statement left before its end (a read of one row) or failed: nothing of it is to be kept.
    if (m_h && !sqlite3_get_autocommit(m_h))
        runPlain(m_h, "ROLLBACK");
    m_h = nullptr;
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
    SchemaHold hold;
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = hold.step(h, st);
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
