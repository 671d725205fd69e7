#include "data/SqlBackend.h"

#include "data/DataError.h"
#include "data/Field.h"
#include "data/FileSystemCheck.h"
#include "data/SchemaCheck.h"
#include "data/SqliteError.h"
#include "data/SqliteStatement.h"
#include "data/TableCopy.h"
#include "data/TextOrder.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SqlBackend {

using namespace Sqlite;

namespace {

// Long enough to ride out another workstation's post or a table copy, short enough that a stuck lock is reported
// instead of freezing the window.
constexpr int busyTimeoutMs = 5000;

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

enum class Access
{
    ReadWrite,
    ReadOnly,
};

void applySettings(QSqlDatabase& db, const QString& fileName, Check check, Access access)
{
    sqlite3* h = handleOf(db);
    sqlite3_busy_timeout(h, busyTimeoutMs);
    const QString doing = QStringLiteral("Cannot open database file '%1'").arg(fileName);
    if (access == Access::ReadWrite && sqlite3_db_readonly(h, "main") == 1)
        throw DataError(doing + QStringLiteral(": the file is read-only"), DataError::Kind::ReadOnly);
    // Reading the schema first turns "not a database" and lock-outs into a connect error, and a file that is
    // refused is left exactly as it was: nothing below runs on it.
    exec(h, QStringLiteral("SELECT count(*) FROM sqlite_master"), doing);
    registerCollation(db);
    if (check == Check::RavlenSchema)
        SchemaCheck::require(db, fileName);
    if (access == Access::ReadOnly)
        return;
    // WAL with a full sync at every commit: a posted row is on disk before the call returns, survives a killed
    // process and an operating-system crash, and readers in other processes never block the writer.
    exec(h, QStringLiteral("PRAGMA journal_mode=WAL"), doing);
    exec(h, QStringLiteral("PRAGMA synchronous=FULL"), doing);
}

QSqlDatabase openWithMode(const QString& connectionName, const QString& fileName, const char* mode, Check check)
{
    const Access access = QByteArrayView(mode).startsWith("ro") ? Access::ReadOnly : Access::ReadWrite;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (!db.isValid())
        throw DataError(QStringLiteral("The SQLite driver of Qt is not available"));
    QString uri = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += QStringLiteral("?mode=") + QLatin1String(mode);
    db.setDatabaseName(uri);
    db.setConnectOptions(QStringLiteral("%1QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%2")
                             .arg(access == Access::ReadOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;") : QString())
                             .arg(busyTimeoutMs));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw DataError(QStringLiteral("Cannot open database file '%1': %2").arg(fileName, error.text()),
                        kindOfEngineError(error.nativeErrorCode().toInt(), errno));
    }
    try {
        applySettings(db, fileName, check, access);
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
    // Units nest strictly, so a name only has to differ from the units still running around this one: each has
    // its own `work`. The engine releases and rolls back to the most recent savepoint of a name, so even a reused
    // name would address the innermost unit.
    const QString name = QStringLiteral("ravlen_unit_%1").arg(quintptr(&work), 0, 16);
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

// Whether the engine can keep its side files beside `fileName`: a folder this user may write, or both side files
// already there for this user to write.
bool folderTakesSideFiles(const QString& fileName)
{
    if (QFileInfo(QFileInfo(fileName).absolutePath()).isWritable())
        return true;
    const QFileInfo log(fileName + QStringLiteral("-wal"));
    const QFileInfo shared(fileName + QStringLiteral("-shm"));
    return log.isWritable() && shared.isWritable();
}

QSqlDatabase openForReading(const QString& connectionName, const QString& fileName)
{
    try {
        return openWithMode(connectionName, fileName, "ro", Check::RavlenSchema);
    } catch (const DataError&) {
        // A file in write-ahead-log mode on media nobody may write: the engine cannot make its read-side files
        // there, and nobody can change the file while it is read, so it may be read as it lies.
        if (QFileInfo(QFileInfo(fileName).absolutePath()).isWritable())
            throw;
        return openWithMode(connectionName, fileName, "ro&immutable=1", Check::RavlenSchema);
    }
}

} // namespace

QSqlDatabase openDatabase(const QString& connectionName, const QString& fileName,
                          const FileSystemCheck::TypeProbe& fileSystemType, ReadOnlyFile readOnlyFile,
                          bool* openedForReading)
{
    if (openedForReading)
        *openedForReading = false;
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
    const bool fileReadOnly = !info.isWritable() || !(info.permissions() & anyWrite);
    if (fileReadOnly && readOnlyFile == ReadOnlyFile::Refuse)
        throw DataError(QStringLiteral("Cannot open database file '%1': the file is read-only").arg(fileName),
                        DataError::Kind::ReadOnly);
    // The engine takes an empty file for a new database and would write one into it (the journal setting alone
    // does), turning a damaged or half-copied file into an empty database.
    if (info.size() == 0)
        throw DataError(QStringLiteral("Cannot open database file '%1': the file is empty").arg(fileName),
                        DataError::Kind::NotADatabase);
    FileSystemCheck::refuseNetworkFileSystem(fileName, fileSystemType);
    if (readOnlyFile == ReadOnlyFile::OpenForReading && (fileReadOnly || !folderTakesSideFiles(fileName))) {
        QSqlDatabase db = openForReading(connectionName, fileName);
        if (openedForReading)
            *openedForReading = true;
        return db;
    }
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

bool checkpoint(const QSqlDatabase& db)
{
    sqlite3* h = handleOf(db);
    int logFrames = 0;
    int copiedFrames = 0;
    // Passive: the operator is never kept waiting at a pause for another program's reading.
    const int rc = sqlite3_wal_checkpoint_v2(h, nullptr, SQLITE_CHECKPOINT_PASSIVE, &logFrames, &copiedFrames);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        return false;
    if (rc != SQLITE_OK)
        throw engineError(h, QStringLiteral("Cannot write the latest changes into database file '%1'")
                                 .arg(QString::fromUtf8(sqlite3_db_filename(h, "main"))));
    // A file in another journal mode answers -1 for both: it is whole after every commit.
    return copiedFrames >= logFrames;
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
    finishQueryRows(r, rowByRow);
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

void updateRow(const QSqlDatabase& db, StatementCache& kept, const QString& table, qint64 rowId,
               const QStringList& columns, const QVariantList& newValues, const QVariantList& originalValues)
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
    // On its own the update would read the schema afresh after every registration by another program and then
    // find it changed again by the next one, for as long as they keep registering. Holding the write lock first
    // keeps the schema still for the one re-read it needs; waiting for the lock is the ordinary wait for a file
    // another program holds, reported as such when it runs out.
    const bool ownTransaction = sqlite3_get_autocommit(h) != 0;
    if (ownTransaction)
        Statement(h, QStringLiteral("BEGIN IMMEDIATE"), doing, kept).step(doing);
    try {
        Statement st(h, sql, doing, kept);
        int i = 1;
        for (const QVariant& v : newValues)
            st.bind(i++, v);
        st.bind(i++, rowId);
        for (const QVariant& v : originalValues)
            st.bind(i++, v);
        st.step(doing);
        if (sqlite3_changes(h) != 1)
            throw DataError(doing +
                                QStringLiteral(": the row was changed or deleted by another user since it was read"),
                            DataError::Kind::Conflict);
        if (ownTransaction)
            Statement(h, QStringLiteral("COMMIT"), doing, kept).step(doing);
    } catch (...) {
        if (ownTransaction && !sqlite3_get_autocommit(h))
            sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
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
