#include "data/ReadOnlyDatabase.h"

#include "data/DataError.h"
#include "data/FileSystemCheck.h"
#include "data/SchemaCheck.h"
#include "data/SqliteStatement.h"
#include "data/SqlBackend.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

namespace {

void refuseUnopenable(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString doing = QStringLiteral("Cannot read database file '%1': ").arg(fileName);
    if (!info.exists() && FileSystemCheck::folderRefusesThisUser(fileName))
        throw DataError(doing + QStringLiteral("this user may not enter its folder"), DataError::Kind::AccessDenied);
    if (!info.exists())
        throw DataError(doing + QStringLiteral("the file does not exist"), DataError::Kind::MissingFile);
    if (!info.isFile())
        throw DataError(doing + QStringLiteral("it is not a file"), DataError::Kind::NotADatabase);
    if (!info.isReadable())
        throw DataError(doing + QStringLiteral("this user may not read it"), DataError::Kind::AccessDenied);
    // The engine takes an empty file for a new, empty database; it holds no Ravlen data either way.
    if (info.size() == 0)
        throw DataError(doing + QStringLiteral("the file is empty"), DataError::Kind::NotADatabase);
}

// Whether no other program has the database file open, answered while holding what keeps one from opening it;
// the lock goes with the descriptor. Every connection to a file in write-ahead-log mode holds a read lock on the
// engine's shared lock range of the file for as long as it is open, and one that opens the file takes it before
// it looks at the side files: a write lock on that range, when granted, says nobody has the file open and
// nobody can come to use the side files until it is let go. The range is fixed by the engine's file format.
class UnusedFileLock
{
public:
    explicit UnusedFileLock(const QString& fileName)
        : m_fd(::open(QFile::encodeName(fileName).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW))
    {
        constexpr off_t pendingByte = 0x40000000;
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = pendingByte + 2;
        lock.l_len = 510;
        // A file this user may not write cannot be locked so; its side files stay, empty and harmless.
        m_held = m_fd >= 0 && ::fcntl(m_fd, F_SETLK, &lock) == 0;
    }
    ~UnusedFileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    UnusedFileLock(const UnusedFileLock&) = delete;
    UnusedFileLock& operator=(const UnusedFileLock&) = delete;

    bool held() const { return m_held; }

private:
    int m_fd;
    bool m_held = false;
};

} // namespace

ReadOnlyDatabase::ReadOnlyDatabase(const QString& fileName, Schema schema, SideFiles sideFiles)
    // Qt names its connections process-wide; the address tells this one from every other one alive.
    : m_fileName(fileName), m_connectionName(QStringLiteral("ravlen-read-%1").arg(quintptr(this), 0, 16))
{
    refuseUnopenable(fileName);
    if (sideFiles == SideFiles::RemoveIfUnused) {
        for (const char* suffix : {"-wal", "-shm"})
            if (!QFileInfo::exists(fileName + QLatin1String(suffix)))
                m_sideFilesAbsent.append(fileName + QLatin1String(suffix));
    }
    try {
        try {
            open(QStringLiteral("mode=ro"));
        } catch (const DataError&) {
            // A file in write-ahead-log mode on media nobody may write: the engine cannot make its read-side files
            // there, and nobody can change the file while it is read, so it may be read as it lies.
            if (QFileInfo(QFileInfo(fileName).absolutePath()).isWritable())
                throw;
            open(QStringLiteral("mode=ro&immutable=1"));
        }
        // Earlier builds declared the program's collation on the text columns; registering it writes nothing.
        SqlBackend::registerCollation(m_db);
        if (schema == Schema::Checked)
            SchemaCheck::require(m_db, fileName);
    } catch (...) {
        release();
        removeSideFilesMadeHere();
        throw;
    }
}

ReadOnlyDatabase::~ReadOnlyDatabase()
{
    release();
    removeSideFilesMadeHere();
}

void ReadOnlyDatabase::removeSideFilesMadeHere()
{
    QStringList made;
    for (const QString& name : std::as_const(m_sideFilesAbsent))
        if (QFileInfo::exists(name))
            made.append(name);
    m_sideFilesAbsent.clear();
    if (made.isEmpty())
        return;
    const UnusedFileLock unused(m_fileName);
    if (!unused.held())
        return;
    for (const QString& name : std::as_const(made)) {
        // A log with content is somebody's work, never this read's.
        if (!name.endsWith(QLatin1String("-wal")) || QFileInfo(name).size() == 0)
            QFile::remove(name);
    }
}

sqlite3* ReadOnlyDatabase::handle() const
{
    return Sqlite::handleOrNull(m_db);
}

void ReadOnlyDatabase::open(const QString& uriOptions)
{
    release();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    // A URI, so that a name holding '?' or '#' is taken literally; mode=ro on top of the read-only flag.
    m_db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(m_fileName).absoluteFilePath()).toString(QUrl::FullyEncoded) +
                         QLatin1Char('?') + uriOptions);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open()) {
        const QString reason = m_db.lastError().text();
        release();
        throw DataError(QStringLiteral("Cannot read database file '%1': %2").arg(m_fileName, reason),
                        DataError::Kind::NotADatabase);
    }
    // The engine reads the file only at the first statement: a foreign or damaged file is refused here, not
    // half-way through the caller's work.
    try {
        SqlBackend::readQuery(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master"), false);
    } catch (const DataError& e) {
        release();
        throw DataError(QStringLiteral("Cannot read database file '%1': %2").arg(m_fileName, e.message()), e.kind());
    }
}

void ReadOnlyDatabase::release()
{
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}
