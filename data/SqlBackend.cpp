#include "data/SqlBackend.h"

#include "data/DataError.h"
#include "data/Field.h"
#include "data/FileSystemCheck.h"
#include "data/SchemaCheck.h"
#include "data/TextOrder.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QUrl>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <map>
#include <memory>
#include <optional>

namespace SqlBackend {
namespace {

// Long enough to ride out another workstation's post or a table copy, short enough that a stuck lock is reported
// instead of freezing the window.
constexpr int busyTimeoutMs = 5000;

// The engine's handle under a Qt connection; null when there is none.
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

QString engineMessage(sqlite3* h)
{
    return QString::fromUtf8(sqlite3_errmsg(h));
}

bool isDiskFullErrno(int systemErrno)
{
    return systemErrno == ENOSPC || systemErrno == EDQUOT;
}

// What the engine's last error on `h` means to the user. The operating system's error number tells a full disk
// from other input/output failures and a refused permission from a missing file.
DataError::Kind kindOfEngineError(int extendedCode, int systemErrno)
{
    using Kind = DataError::Kind;
    switch (extendedCode & 0xff) {
    case SQLITE_CONSTRAINT:
        return extendedCode == SQLITE_CONSTRAINT_UNIQUE || extendedCode == SQLITE_CONSTRAINT_PRIMARYKEY
                   ? Kind::DuplicateKey
                   : Kind::Constraint;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Kind::Busy;
    case SQLITE_READONLY:
        return Kind::ReadOnly;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return Kind::NotADatabase;
    case SQLITE_FULL:
        return Kind::DiskFull;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Kind::AccessDenied;
    case SQLITE_CANTOPEN:
        if (systemErrno == EACCES || systemErrno == EPERM)
            return Kind::AccessDenied;
        if (systemErrno == ENOENT)
            return Kind::MissingFile;
        return isDiskFullErrno(systemErrno) ? Kind::DiskFull : Kind::Other;
    case SQLITE_IOERR:
        if (isDiskFullErrno(systemErrno))
            return Kind::DiskFull;
        return systemErrno == EACCES || systemErrno == EPERM ? Kind::AccessDenied : Kind::Other;
    default:
        return Kind::Other;
    }
}

// The error the engine just reported on `h`, headed by what was being done. `message` replaces the engine's
// text when the caller has a better one (sqlite3_exec's own).
DataError engineError(sqlite3* h, const QString& doing, const QString& message = QString())
{
    QString detail = doing + QStringLiteral(": ") + (message.isEmpty() ? engineMessage(h) : message);
    // The user's sentence names the file (and so the folder or disk to look at) when the detail does.
    const QString file = QString::fromUtf8(sqlite3_db_filename(h, "main"));
    if (!file.isEmpty() && !detail.contains(file))
        detail += QStringLiteral(" (database file '%1')").arg(file);
    return DataError(detail, kindOfEngineError(sqlite3_extended_errcode(h), sqlite3_system_errno(h)));
}

// Prepares one statement. Another program adding a table (every registration does) between the engine's
// reading of the schema and its check of it makes the preparation fail with "database schema has changed"; the
// engine retries that once only, so with several programs at work it is retried here until the schema holds
// still. Nothing has run at that point, so retrying is safe.
int prepare(sqlite3* h, const char* sql, int bytes, unsigned flags, sqlite3_stmt** st, const char** tail)
{
    constexpr int attempts = 50;
    int rc = SQLITE_SCHEMA;
    for (int i = 0; i < attempts && (rc & 0xff) == SQLITE_SCHEMA; ++i)
        rc = sqlite3_prepare_v3(h, sql, bytes, flags, st, tail);
    return rc;
}

// Statements kept prepared per connection handle, for the writes repeated at every answer.
std::map<sqlite3*, std::map<QString, sqlite3_stmt*>>& statementCache()
{
    static std::map<sqlite3*, std::map<QString, sqlite3_stmt*>> cache;
    return cache;
}

// A prepared statement that finalizes itself, or one of the kept statements, reset after use.
class Statement
{
public:
    enum Lifetime
    {
        Once,
        Kept
    };

    Statement(sqlite3* h, const QString& sql, const QString& doing, Lifetime lifetime = Once)
        : m_h(h), m_kept(lifetime == Kept)
    {
        if (m_kept) {
            sqlite3_stmt*& cached = statementCache()[h][sql];
            if (!cached) {
                const QByteArray utf8 = sql.toUtf8();
                if (prepare(h, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &cached, nullptr) !=
                    SQLITE_OK) {
                    statementCache()[h].erase(sql);
                    throw engineError(h, doing);
                }
            }
            m_stmt = cached;
            return;
        }
        const QByteArray utf8 = sql.toUtf8();
        if (prepare(h, utf8.constData(), int(utf8.size()), 0, &m_stmt, nullptr) != SQLITE_OK)
            throw engineError(h, doing);
    }
    ~Statement()
    {
        if (m_kept) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        } else {
            sqlite3_finalize(m_stmt);
        }
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
        const int rc = sqlite3_step(m_stmt);
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
};

using StatementHandle = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// Steps a statement to its end; throws with `doing` on failure.
void runToEnd(sqlite3* h, sqlite3_stmt* st, const QString& doing)
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
        throw engineError(h, doing);
}

// Runs every statement of `sql` in turn, each prepared as `prepare` does.
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

// Equal in SQL means identical (see comparePersian), so GROUP BY never merges two different names.
int persianCompare(void*, int len1, const void* s1, int len2, const void* s2)
{
    return comparePersian(QStringView(static_cast<const QChar*>(s1), len1 / 2),
                          QStringView(static_cast<const QChar*>(s2), len2 / 2));
}

FieldType typeFromDeclaration(const QByteArray& declared, int* size)
{
    const QByteArray d = declared.toUpper();
    *size = 0;
    if (d.contains("BOOL") || d.contains("BIT"))
        return FieldType::Boolean;
    if (d.contains("INT"))
        return FieldType::Integer;
    if (d.contains("CHAR") || d.contains("TEXT") || d.contains("CLOB")) {
        const int open = d.indexOf('(');
        const int close = d.indexOf(')', open);
        if (open > 0 && close > open)
            *size = d.mid(open + 1, close - open - 1).trimmed().toInt();
        return FieldType::Text;
    }
    if (d.contains("REAL") || d.contains("FLOA") || d.contains("DOUB") || d.contains("NUMERIC") ||
        d.contains("DECIMAL"))
        return FieldType::Double;
    return FieldType::Unknown;
}

QVariant columnValue(sqlite3_stmt* st, int col, FieldType type)
{
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
        if (type == FieldType::Boolean)
            return QVariant(sqlite3_column_int64(st, col) != 0);
        if (type == FieldType::Double)
            return QVariant(double(sqlite3_column_int64(st, col)));
        return QVariant(qlonglong(sqlite3_column_int64(st, col)));
    case SQLITE_FLOAT:
        if (type == FieldType::Boolean)
            return QVariant(sqlite3_column_double(st, col) != 0.0);
        return QVariant(sqlite3_column_double(st, col));
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(st, col)));
    }
    case SQLITE_BLOB: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(st, col));
        return QVariant(QByteArray(p, sqlite3_column_bytes(st, col)));
    }
    default:
        return QVariant();
    }
}

// Reads every row of a prepared SELECT; the first `skip` columns are the row identity (0 or 1 of them).
ReadResult readAll(sqlite3* h, Statement& st, int skip, const QString& table, const QString& doing,
                   qint64 expectedRows = 0)
{
    ReadResult r;
    const int cols = sqlite3_column_count(st.get());
    for (int c = skip; c < cols; ++c) {
        FieldDef f;
        f.name = QString::fromUtf8(sqlite3_column_name(st.get(), c));
        f.type = typeFromDeclaration(QByteArray(sqlite3_column_decltype(st.get(), c)), &f.size);
        if (!table.isEmpty()) {
            int autoinc = 0;
            if (sqlite3_table_column_metadata(h, nullptr, table.toUtf8().constData(), f.name.toUtf8().constData(),
                                              nullptr, nullptr, nullptr, nullptr, &autoinc) == SQLITE_OK &&
                autoinc)
                f.readOnly = true;
        } else {
            f.readOnly = sqlite3_column_table_name(st.get(), c) == nullptr; // expressions cannot be written back
        }
        r.fields.push_back(f);
    }
    const int n = cols - skip;
    std::vector<FieldType> types;
    for (const FieldDef& f : r.fields)
        types.push_back(f.type);
    r.store.reset(types);
    if (expectedRows > 0) {
        r.store.reserve(size_t(expectedRows));
        if (skip)
            r.rowIds.reserve(size_t(expectedRows));
    }
    std::vector<bool> typeKnown(static_cast<size_t>(n), false);
    for (int c = 0; c < n; ++c)
        typeKnown[size_t(c)] = r.fields[size_t(c)].type != FieldType::Unknown;
    sqlite3_stmt* s = st.get();
    while (st.step(doing)) {
        if (skip)
            r.rowIds.push_back(sqlite3_column_int64(s, 0));
        for (int c = 0; c < n; ++c) {
            const int sc = c + skip;
            const int kind = sqlite3_column_type(s, sc);
            if (!typeKnown[size_t(c)]) {
                // Computed columns carry no declared type: the first value that is not empty decides.
                FieldDef& f = r.fields[size_t(c)];
                switch (kind) {
                case SQLITE_INTEGER:
                    f.type = FieldType::Integer;
                    typeKnown[size_t(c)] = true;
                    break;
                case SQLITE_FLOAT:
                    f.type = FieldType::Double;
                    typeKnown[size_t(c)] = true;
                    break;
                case SQLITE_TEXT:
                    f.type = FieldType::Text;
                    typeKnown[size_t(c)] = true;
                    break;
                default:
                    break;
                }
            }
            switch (kind) {
            case SQLITE_INTEGER:
                r.store.appendInt(c, sqlite3_column_int64(s, sc));
                break;
            case SQLITE_FLOAT:
                r.store.appendDouble(c, sqlite3_column_double(s, sc));
                break;
            case SQLITE_TEXT: {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, sc));
                r.store.appendUtf8(c, p, sqlite3_column_bytes(s, sc));
                break;
            }
            case SQLITE_BLOB: {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(s, sc));
                r.store.appendVariant(c, QVariant(QByteArray(p, sqlite3_column_bytes(s, sc))));
                break;
            }
            default:
                r.store.appendNull(c);
                break;
            }
        }
        r.store.endRow();
    }
    return r;
}

QString objectType(sqlite3* h, const QString& name)
{
    Statement st(h,
                 QStringLiteral("SELECT type FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 "
                                "COLLATE NOCASE"),
                 QStringLiteral("Cannot read the list of tables"));
    st.bind(1, name);
    if (!st.step(QStringLiteral("Cannot read the list of tables")))
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
}

enum class Check
{
    None,
    RavlenSchema
};

void applySettings(QSqlDatabase& db, const QString& fileName, Check check)
{
    sqlite3* h = handleOf(db);
    sqlite3_busy_timeout(h, busyTimeoutMs);
    const QString doing = QStringLiteral("Cannot open database file '%1'").arg(fileName);
    if (sqlite3_db_readonly(h, "main") == 1)
        throw DataError(doing + QStringLiteral(": the file is read-only"), DataError::Kind::ReadOnly);
    // Reading the schema first turns "not a database" and lock-outs into a connect error, and a file that is
    // refused is left exactly as it was: nothing below runs on it.
    exec(h, QStringLiteral("SELECT count(*) FROM sqlite_master"), doing);
    registerCollation(db);
    if (check == Check::RavlenSchema)
        SchemaCheck::require(db, fileName);
    // WAL with a full sync at every commit: a posted row is on disk before the call returns, survives a killed
    // process and an operating-system crash, and readers in other processes never block the writer.
    exec(h, QStringLiteral("PRAGMA journal_mode=WAL"), doing);
    exec(h, QStringLiteral("PRAGMA synchronous=FULL"), doing);
}

QSqlDatabase openWithMode(const QString& connectionName, const QString& fileName, const char* mode, Check check)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (!db.isValid())
        throw DataError(QStringLiteral("The SQLite driver of Qt is not available"));
    QString uri = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += QStringLiteral("?mode=") + QLatin1String(mode);
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw DataError(QStringLiteral("Cannot open database file '%1': %2").arg(fileName, error.text()),
                        kindOfEngineError(error.nativeErrorCode().toInt(), errno));
    }
    try {
        applySettings(db, fileName, check);
    } catch (...) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw;
    }
    return db;
}

// A unit of work inside another: a savepoint, so a failure undoes only this unit's writes and the enclosing unit
// decides about the rest.
void inSavepoint(sqlite3* h, const QString& doing, const std::function<void()>& work)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("ravlen_unit_%1").arg(counter.fetchAndAddRelaxed(1));
    exec(h, QStringLiteral("SAVEPOINT ") + name, doing);
    try {
        work();
        exec(h, QStringLiteral("RELEASE ") + name, doing);
    } catch (...) {
        // Some failures (a full disk, an I/O error) make the engine roll back the whole transaction itself; the
        // savepoint is gone then, and the enclosing unit's end reports that nothing was kept.
        if (!sqlite3_get_autocommit(h)) {
            const QByteArray undo = QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(name).toUtf8();
            sqlite3_exec(h, undo.constData(), nullptr, nullptr, nullptr);
        }
        throw;
    }
}

} // namespace

void releaseStatements(const QSqlDatabase& db)
{
    const auto it = statementCache().find(handleOrNull(db));
    if (it == statementCache().end())
        return;
    for (auto& [sql, stmt] : it->second)
        sqlite3_finalize(stmt);
    statementCache().erase(it);
}

QSqlDatabase openDatabase(const QString& connectionName, const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists() && FileSystemCheck::folderRefusesThisUser(fileName))
        throw DataError(QStringLiteral("Cannot open database file '%1': this user may not enter its folder")
                            .arg(fileName),
                        DataError::Kind::AccessDenied);
    if (!info.exists())
        throw DataError(QStringLiteral("Cannot open database file '%1': the file does not exist").arg(fileName),
                        DataError::Kind::MissingFile);
    if (!info.isReadable())
        throw DataError(QStringLiteral("Cannot open database file '%1': this user may not read it").arg(fileName),
                        DataError::Kind::AccessDenied);
    if (!info.isFile())
        throw DataError(QStringLiteral("Cannot open database file '%1': it is not a file").arg(fileName),
                        DataError::Kind::NotADatabase);
    // A file nobody may write is refused even for a user (the administrator) whom the system would let write it.
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!info.isWritable() || !(info.permissions() & anyWrite))
        throw DataError(QStringLiteral("Cannot open database file '%1': the file is read-only").arg(fileName),
                        DataError::Kind::ReadOnly);
    // The engine takes an empty file for a new database and would write one into it (the journal setting alone
    // does), turning a damaged or half-copied file into an empty database.
    if (info.size() == 0)
        throw DataError(QStringLiteral("Cannot open database file '%1': the file is empty").arg(fileName),
                        DataError::Kind::NotADatabase);
    FileSystemCheck::refuseNetworkFileSystem(fileName);
    return openWithMode(connectionName, fileName, "rw", Check::RavlenSchema);
}

QSqlDatabase createDatabase(const QString& connectionName, const QString& fileName)
{
    if (QFileInfo::exists(fileName))
        throw DataError(QStringLiteral("Cannot create database file '%1': the file already exists").arg(fileName));
    // Made owner-only from its first byte, whatever the umask; the engine gives its side files the same mode.
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0 || ::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        throw DataError(QStringLiteral("Cannot create database file '%1': %2")
                            .arg(fileName, QString::fromLocal8Bit(std::strerror(error))),
                        kindOfEngineError(SQLITE_CANTOPEN, error));
    }
    ::close(fd);
    try {
        return openWithMode(connectionName, fileName, "rw", Check::None);
    } catch (...) {
        QFile::remove(fileName);
        throw;
    }
}

void removeDatabaseFiles(const QString& fileName)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(fileName + QLatin1String(suffix));
}

void registerCollation(QSqlDatabase& db)
{
    sqlite3* h = handleOf(db);
    persianCollator(); // built here, not inside the first comparison
    const int rc =
        sqlite3_create_collation_v2(h, textCollation, SQLITE_UTF16_ALIGNED, nullptr, &persianCompare, nullptr);
    if (rc != SQLITE_OK)
        throw engineError(h, QStringLiteral("Cannot register the Persian text order"));
}

QStringList tableNames(const QSqlDatabase& db)
{
    sqlite3* h = handleOf(db);
    const QString doing = QStringLiteral("Cannot read the list of tables");
    Statement st(h,
                 QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view') "
                                "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"),
                 doing);
    QStringList names;
    while (st.step(doing))
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    return names;
}

bool tableExists(const QSqlDatabase& db, const QString& name)
{
    sqlite3* h = handleOf(db);
    const QString doing = QStringLiteral("Cannot read the list of tables");
    // The engine's own tables (sqlite_sequence and the like) are system tables and do not count.
    Statement st(h,
                 QStringLiteral("SELECT 1 FROM sqlite_master WHERE type IN ('table','view') "
                                "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND name = ?1 COLLATE NOCASE"),
                 doing);
    st.bind(1, name);
    return st.step(doing);
}

QString quoteIdentifier(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

ReadResult readTable(const QSqlDatabase& db, const QString& table, bool tablesOnly)
{
    sqlite3* h = handleOf(db);
    const QString doing = QStringLiteral("Cannot open table '%1'").arg(table);
    const QString type = objectType(h, table);
    if (type.isEmpty())
        throw DataError(doing + QStringLiteral(": no such table"), DataError::Kind::Schema);
    const bool isTable = type == QLatin1String("table");
    if (tablesOnly && !isTable)
        throw DataError(doing + QStringLiteral(": it is a %1, not a table").arg(type), DataError::Kind::BadTableName);
    const QString sql = isTable ? QStringLiteral("SELECT rowid, * FROM %1").arg(quoteIdentifier(table))
                                : QStringLiteral("SELECT * FROM %1").arg(quoteIdentifier(table));
    Statement st(h, sql, doing);
    ReadResult r = readAll(h, st, isTable ? 1 : 0, isTable ? table : QString(), doing);
    if (!isTable)
        for (FieldDef& f : r.fields)
            f.readOnly = true;
    return r;
}

ReadResult readQuery(const QSqlDatabase& db, const QString& sql, bool rowByRow)
{
    sqlite3* h = handleOf(db);
    const QString doing = QStringLiteral("Cannot open query \"%1\"").arg(sql.simplified());
    Statement st(h, sql, doing);
    ReadResult r = readAll(h, st, 0, QString(), doing);
    for (FieldDef& f : r.fields)
        f.readOnly = true; // query rows have no identity to write back through
    if (!rowByRow)
        return r;
    r.values.reserve(size_t(r.store.rowCount()) * r.fields.size());
    for (int row = 0; row < r.store.rowCount(); ++row)
        for (int c = 0; c < r.store.columnCount(); ++c)
            r.values.push_back(r.store.value(row, c));
    return r;
}

bool readRow(const QSqlDatabase& db, const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
             std::vector<QVariant>& out)
{
    sqlite3* h = handleOf(db);
    QStringList cols;
    for (const FieldDef& f : fields)
        if (!f.calculated)
            cols << quoteIdentifier(f.name);
    const QString doing = QStringLiteral("Cannot read back a row of table '%1'").arg(table);
    Statement st(h, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(cols.join(u','), quoteIdentifier(table)),
                 doing);
    st.bind(1, rowId);
    if (!st.step(doing))
        return false;
    out.clear();
    int c = 0;
    for (const FieldDef& f : fields)
        if (!f.calculated)
            out.push_back(columnValue(st.get(), c++, f.type));
    return true;
}

void updateRow(const QSqlDatabase& db, const QString& table, qint64 rowId, const QStringList& columns,
               const QVariantList& newValues, const QVariantList& originalValues)
{
    if (columns.isEmpty())
        return;
    sqlite3* h = handleOf(db);
    QStringList sets;
    QStringList checks;
    int p = 1;
    for (const QString& c : columns)
        sets << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(c)).arg(p++);
    const int idParam = p++;
    for (const QString& c : columns)
        checks << QStringLiteral("%1 IS ?%2").arg(quoteIdentifier(c)).arg(p++);
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3 AND %4")
                            .arg(quoteIdentifier(table), sets.join(QLatin1String(", ")))
                            .arg(idParam)
                            .arg(checks.join(QLatin1String(" AND ")));
    const QString doing = QStringLiteral("Cannot post a row of table '%1'").arg(table);
    Statement st(h, sql, doing, Statement::Kept);
    int i = 1;
    for (const QVariant& v : newValues)
        st.bind(i++, v);
    st.bind(i++, rowId);
    for (const QVariant& v : originalValues)
        st.bind(i++, v);
    st.step(doing);
    if (sqlite3_changes(h) != 1)
        throw DataError(doing + QStringLiteral(": the row was changed or deleted by another user since it was read"),
                        DataError::Kind::Conflict);
}

qint64 insertRow(const QSqlDatabase& db, const QString& table, const QStringList& columns, const QVariantList& values)
{
    sqlite3* h = handleOf(db);
    QStringList cols;
    QStringList params;
    for (int i = 0; i < columns.size(); ++i) {
        cols << quoteIdentifier(columns[i]);
        params << QStringLiteral("?%1").arg(i + 1);
    }
    const QString doing = QStringLiteral("Cannot insert a row into table '%1'").arg(table);
    Statement st(h,
                 QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(quoteIdentifier(table), cols.join(u','), params.join(u',')),
                 doing);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    st.step(doing);
    return sqlite3_last_insert_rowid(h);
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

// Runs the one statement `sql` holds and returns the rows it changed. Text after it is refused before anything
// runs: a value pasted into a command must not be able to add a statement of its own.
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

// The table copy written as "SELECT * INTO <new> FROM <table> [WHERE <condition>]", which the engine lacks;
// no match when `sql` is not of that form.
std::optional<QRegularExpressionMatch> matchTableCopy(const QString& sql)
{
    static const QRegularExpression selectInto(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+INTO\s+([A-Za-z_][A-Za-z0-9_]*)\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*))"
                       R"((?:\s+WHERE\s+(.*?))?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QRegularExpressionMatch m = selectInto.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    return m;
}

// The new table takes the source's column declarations (types, lengths, auto-increment), and the rows keep
// their values. All or nothing; a savepoint inside a caller's unit of work.
int copyTable(const QSqlDatabase& db, const QRegularExpressionMatch& m)
{
    sqlite3* h = handleOf(db);
    const QString target = m.captured(1);
    const QString source = m.captured(2);
    const QString where = m.captured(3);
    const QString doing = QStringLiteral("Cannot copy table '%1' into '%2'").arg(source, target);
    int copied = 0;
    inTransaction(db, doing, [&] {
        QString definition;
        {
            Statement st(h,
                         QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                                        "COLLATE NOCASE"),
                         doing);
            st.bind(1, source);
            if (st.step(doing))
                definition = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        }
        const int open = definition.indexOf(QLatin1Char('('));
        if (open > 0) {
            runSingleStatement(h, QStringLiteral("CREATE TABLE %1 %2").arg(quoteIdentifier(target), definition.mid(open)),
                               doing);
        } else {
            runSingleStatement(h,
                               QStringLiteral("CREATE TABLE %1 AS SELECT * FROM %2 WHERE 0")
                                   .arg(quoteIdentifier(target), quoteIdentifier(source)),
                               doing);
        }
        QString insert =
            QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(quoteIdentifier(target), quoteIdentifier(source));
        if (!where.isEmpty())
            insert += QStringLiteral(" WHERE ") + where;
        copied = runSingleStatement(h, insert, doing);
    });
    return copied;
}

} // namespace

int execute(const QSqlDatabase& db, const QString& sql)
{
    if (const auto copy = matchTableCopy(sql))
        return copyTable(db, *copy);
    sqlite3* h = handleOf(db);
    const QString doing = QStringLiteral("Cannot execute \"%1\"").arg(sql.simplified());
    // Counted across every statement of the text; a statement that changes no rows adds none (the engine's
    // per-statement count would still show the previous statement's).
    const int before = sqlite3_total_changes(h);
    exec(h, sql, doing);
    return sqlite3_total_changes(h) - before;
}

int executeStatement(const QSqlDatabase& db, const QString& sql)
{
    if (const auto copy = matchTableCopy(sql))
        return copyTable(db, *copy);
    return runSingleStatement(handleOf(db), sql, QStringLiteral("Cannot execute \"%1\"").arg(sql.simplified()));
}

void inTransaction(const QSqlDatabase& db, const QString& doing, const std::function<void()>& work)
{
    sqlite3* h = handleOf(db);
    if (!sqlite3_get_autocommit(h)) {
        inSavepoint(h, doing, work);
        return;
    }
    // IMMEDIATE takes the write lock at the start, so a unit of work waits for another program's write here
    // rather than failing half way when its first write meets the lock.
    exec(h, QStringLiteral("BEGIN IMMEDIATE"), doing);
    try {
        work();
        exec(h, QStringLiteral("COMMIT"), doing);
    } catch (...) {
        if (!sqlite3_get_autocommit(h))
            sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace SqlBackend
