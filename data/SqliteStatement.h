#pragma once

#include "data/SqliteError.h"
#include "data/Field.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <map>
#include <memory>

class QSqlDatabase;

// The engine's statements as the layer runs them: prepared with retries while other programs change the schema,
// values bound from QVariants, failures thrown as DataError.
namespace Sqlite {

// The engine's handle under a Qt connection; null when there is none.
sqlite3* handleOrNull(const QSqlDatabase& db);
// The same, throwing when the connection is not open.
sqlite3* handleOf(const QSqlDatabase& db);

// How long a statement waits for other programs to stop changing the schema before it gives up as it does on a
// file another program holds locked (the same wait, the same "busy, try again" sentence).
constexpr int schemaWaitMs = 5000;

// Prepares one statement. Another program adding a table (every registration does) between the engine's
// reading of the schema and its check of it makes the preparation fail with "database schema has changed"; the
// engine retries that once only, so with several programs at work it is retried here until the schema holds
// still, for at most schemaWaitMs. Nothing has run at that point, so retrying is safe.
int prepare(sqlite3* h, const char* sql, int bytes, unsigned flags, sqlite3_stmt** st, const char** tail);

// Steps one statement. When other programs keep changing the schema faster than the engine re-prepares the
// statement at its first step, it is run again under the write lock (waiting for it as for any locked file) and
// the lock is let go when the statement is done, or by release() when it is left before its end or fails.
class SchemaHold
{
public:
    SchemaHold() = default;
    ~SchemaHold() { release(); }
    SchemaHold(const SchemaHold&) = delete;
    SchemaHold& operator=(const SchemaHold&) = delete;

    // sqlite3_step() with that second chance; its result code.
    int step(sqlite3* h, sqlite3_stmt* st);
    void release();

private:
    sqlite3* m_h = nullptr; // set while this holds a transaction of its own
    bool m_stepped = false;
};

// Statements kept prepared for one connection, for the writes repeated at every answer. The connection owns it;
// it must be cleared (or destroyed) before the connection's handle is closed.
class StatementCache
{
public:
    StatementCache() = default;
    ~StatementCache() { clear(); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // The statement kept for `sql`, prepared on `h` at its first use; throws with `doing` when it cannot be.
    sqlite3_stmt* prepared(sqlite3* h, const QString& sql, const QString& doing);
    // Finalizes every kept statement.
    void clear();

private:
    std::map<QString, sqlite3_stmt*> m_statements;
};

// A prepared statement that finalizes itself, or one of the kept statements, reset after use.
class Statement
{
public:
    // Prepared for this use only, finalized at the end of it.
    Statement(sqlite3* h, const QString& sql, const QString& doing) : m_h(h)
    {
        const QByteArray utf8 = sql.toUtf8();
        if (prepare(h, utf8.constData(), int(utf8.size()), 0, &m_stmt, nullptr) != SQLITE_OK)
            throw engineError(h, doing);
    }
    // Kept prepared in `kept` for the next use of the same text.
    Statement(sqlite3* h, const QString& sql, const QString& doing, StatementCache& kept)
        : m_h(h), m_kept(true), m_stmt(kept.prepared(h, sql, doing))
    {
    }
    ~Statement()
    {
        if (m_kept) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        } else {
            sqlite3_finalize(m_stmt);
        }
        m_hold.release();
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }

    void bind(int index, const QVariant& v)
    {
        int rc = SQLITE_OK;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(m_stmt, index);
        } else if (v.typeId() == QMetaType::Bool) {
            rc = sqlite3_bind_int(m_stmt, index, v.toBool() ? 1 : 0);
        } else if (isIntegralMetaType(v.typeId())) {
            rc = sqlite3_bind_int64(m_stmt, index, v.toLongLong());
        } else {
            switch (v.typeId()) {
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(m_stmt, index, v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray b = v.toByteArray();
                rc = sqlite3_bind_blob64(m_stmt, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray t = v.toString().toUtf8();
                rc = sqlite3_bind_text64(m_stmt, index, t.constData(), sqlite3_uint64(t.size()), SQLITE_TRANSIENT,
                                         SQLITE_UTF8);
                break;
            }
            }
        }
        if (rc != SQLITE_OK)
            throw engineError(m_h, QStringLiteral("Cannot pass a value to the database"));
    }

    // Steps once; true when a row is ready. Throws with `doing` on failure.
    bool step(const QString& doing)
    {
        const int rc = m_hold.step(m_h, m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw engineError(m_h, doing);
    }

private:
    sqlite3* m_h;
    bool m_kept = false;
    sqlite3_stmt* m_stmt = nullptr;
    SchemaHold m_hold;
};

using StatementHandle = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// Steps a statement to its end; throws with `doing` on failure.
void runToEnd(sqlite3* h, sqlite3_stmt* st, const QString& doing);

// Runs every statement of `sql` in turn, each prepared as `prepare` does.
void exec(sqlite3* h, const QString& sql, const QString& doing);

// Runs the one statement `sql` holds and returns the rows it changed. Text after it is refused before anything
// runs: a value pasted into a command must not be able to add a statement of its own.
int runSingleStatement(sqlite3* h, const QString& sql, const QString& doing);

} // namespace Sqlite
