#include "tools/Backup.h"

#include "data/DataError.h"
#include "tools/ItemStore.h"
#include "tools/ReadOnlyDb.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <sqlite3.h>
#include <unistd.h>

namespace Backup {
namespace {

const QString kWhat = QStringLiteral("ravlen-db backup");

// How long a copy waits for a program holding the source locked (a write-ahead-log file is read without
// waiting for its writer, so this covers a rollback-journal file mid-commit).
constexpr int kBusyRetries = 100;
constexpr unsigned long kBusyPauseMs = 50;

class Handle
{
public:
    explicit Handle(const QString& fileName)
    {
        const QByteArray name = QFile::encodeName(fileName);
        const int rc = sqlite3_open_v2(name.constData(), &m_handle, SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK)
            fail(QStringLiteral("Cannot write the copy '%1'").arg(fileName));
    }
    ~Handle() { sqlite3_close(m_handle); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    sqlite3* get() const { return m_handle; }

    [[noreturn]] void fail(const QString& doing) const
    {
        throw DataError(doing + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_handle)));
    }

    QString firstValue(const char* sql) const
    {
        sqlite3_stmt* statement = nullptr;
        QString value;
        if (sqlite3_prepare_v2(m_handle, sql, -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        return value;
    }

private:
    sqlite3* m_handle = nullptr;
};

// Copies every page in one step, so that the whole copy comes from one read transaction of the source: a
// consistent moment, however many commits the program makes meanwhile.
void copyPages(const ReadOnlyDb& source, const Handle& copy)
{
    // No journal for the scratch copy: it is thrown away when anything fails, and no side file appears with it.
    if (sqlite3_exec(copy.get(), "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr) != SQLITE_OK)
        copy.fail(QStringLiteral("Cannot prepare the copy"));
    sqlite3_backup* backup = sqlite3_backup_init(copy.get(), "main", source.handle(), "main");
    if (!backup)
        copy.fail(QStringLiteral("Cannot start copying '%1'").arg(source.fileName()));
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        QThread::msleep(kBusyPauseMs);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw DataError(QStringLiteral("Cannot copy '%1': %2")
                            .arg(source.fileName(), QString::fromUtf8(sqlite3_errstr(rc))),
                        rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? DataError::Kind::Busy : DataError::Kind::Other);
}

Summary verifiedSummary(const Handle& copy, const QString& source)
{
    const QString integrity = copy.firstValue("PRAGMA integrity_check");
    if (integrity != QLatin1String("ok"))
        throw DataError(QStringLiteral("The copy of '%1' fails the integrity check (%2); nothing was kept. Run "
                                       "ravlen-db check on '%1'.")
                            .arg(source, integrity),
                        DataError::Kind::NotADatabase);
    return {copy.firstValue("SELECT count(*) FROM Profiles").toLongLong(),
            copy.firstValue("SELECT count(*) FROM Questions").toLongLong()};
}

} // namespace

Summary copyDatabase(const QString& source, const QString& destination)
{
    ItemStore::refuseExisting(destination, kWhat);
    const ReadOnlyDb from(source);
    from.requireRavlenSchema();

    // QTemporaryFile makes the scratch file owner-only and removes it again unless the copy reaches its name.
    const QFileInfo info(destination);
    QTemporaryFile scratch(info.dir().filePath(QStringLiteral(".%1.XXXXXX.new").arg(info.fileName())));
    if (!scratch.open())
        throw DataError(QStringLiteral("Cannot create '%1': %2").arg(destination, scratch.errorString()));
    Summary summary;
    {
        const Handle copy(scratch.fileName());
        copyPages(from, copy);
        summary = verifiedSummary(copy, source);
    }
    if (::fsync(scratch.handle()) != 0)
        throw DataError(QStringLiteral("Cannot write '%1' to disk").arg(destination));
    scratch.close();
    ItemStore::moveIntoPlace(scratch.fileName(), destination, kWhat);
    scratch.setAutoRemove(false);
    return summary;
}

} // namespace Backup
