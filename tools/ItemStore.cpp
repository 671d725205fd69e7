#include "tools/ItemStore.h"

#include "data/DataError.h"
#include "data/OwnerOnlyFiles.h"
#include "data/ReadOnlyDatabase.h"
#include "data/Schema.h"
#include "data/SqlBackend.h"
#include "data/SqliteBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <functional>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace ItemStore {
namespace {

const QStringList kItemColumns{QStringLiteral("Row"),     QStringLiteral("Group1"),   QStringLiteral("Group2"),
                               QStringLiteral("Scoring"), QStringLiteral("Question"), QStringLiteral("Answer"),
                               QStringLiteral("Score")};

// Runs `work` on the database file `fileName`, closed again whatever happens. What it wrote is in the file itself
// afterwards, also while the program keeps the file open, so a plain copy taken next holds it.
void withDatabase(const QString& fileName, bool create, const std::function<void(DbBackend&)>& work)
{
    const std::unique_ptr<SqliteBackend> db = create ? SqliteBackend::create(fileName) : SqliteBackend::open(fileName);
    work(*db);
    db->checkpoint();
}

void insertItems(DbBackend& db, const QList<BankItem>& items)
{
    int row = 0;
    for (const BankItem& item : items) {
        ++row;
        db.insertRow(QStringLiteral("Questions"), kItemColumns,
                     {row, item.group1, item.group2, item.scoring, item.question, 0.0, 0.0});
    }
}

void requireTables(DbBackend& db, const QString& fileName)
{
    for (const char* table : {"Profiles", "Questions"}) {
        if (!db.tableExists(QLatin1String(table)))
            throw DataError(QStringLiteral("'%1' is not a Ravlen database: it has no %2 table")
                                .arg(fileName, QLatin1String(table)));
    }
}

// A name beside `fileName`, in the same folder so the finished file can be renamed into place, that no file has.
QString scratchName(const QString& fileName)
{
    const QFileInfo info(fileName);
    for (;;) {
        const QString candidate = info.dir().filePath(
            QStringLiteral(".%1.%2.new").arg(info.fileName()).arg(QRandomGenerator::global()->generate64(), 0, 16));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

// A create at work holds this lock on its scratch file for as long as it builds it, so that a later create can
// tell a scratch file left by a run that was killed from one still being filled. The kernel lets go of it when
// the process ends, however it ends.
class ScratchLock
{
public:
    explicit ScratchLock(const QString& scratch)
        : m_fd(::open(QFile::encodeName(scratch).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW))
    {
        if (m_fd < 0 || ::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
            throw DataError(QStringLiteral("Cannot lock the scratch file '%1'").arg(scratch));
    }
    ~ScratchLock() { ::close(m_fd); }
    ScratchLock(const ScratchLock&) = delete;
    ScratchLock& operator=(const ScratchLock&) = delete;

private:
    int m_fd;
};

// Whether a create at work holds its lock on `scratch`.
bool isBeingBuilt(const QString& scratch)
{
    const int fd = ::open(QFile::encodeName(scratch).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

// Removes the scratch files (and the engine's side files of them) that creates of `fileName` killed part way
// left behind: this user's, and not locked by a create at work. Another program's hidden files never match.
void removeAbandonedScratchFiles(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QDir dir = info.dir();
    const QRegularExpression scratchFile(QStringLiteral(R"(^(\.%1\.[0-9a-f]{7,16}\.new)(-wal|-shm|-journal)?$)")
                                             .arg(QRegularExpression::escape(info.fileName())));
    const QStringList names = dir.entryList({QLatin1Char('.') + info.fileName() + QStringLiteral(".*.new*")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = scratchFile.match(name);
        const QString path = dir.filePath(name);
        if (!match.hasMatch() || !QFileInfo::exists(path) || QFileInfo(path).ownerId() != ::geteuid())
            continue;
        const QString scratch = dir.filePath(match.captured(1));
        if (QFileInfo::exists(scratch) ? !isBeingBuilt(scratch) : !match.captured(2).isEmpty())
            SqlBackend::removeDatabaseFiles(scratch);
    }
}

} // namespace

void refuseExisting(const QString& fileName, const QString& what)
{
    const QFileInfo info(fileName);
    // A dangling symbolic link counts as existing: writing through it would create a file somewhere else.
    if (info.exists() || info.isSymLink())
        throw DataError(QStringLiteral("'%1' already exists; %2 never replaces an existing file. Choose another "
                                       "name or move the old file away first.")
                            .arg(fileName, what));
    if (!info.dir().exists())
        throw DataError(QStringLiteral("Cannot create '%1': the folder '%2' does not exist; create the folder first "
                                       "or give a name in an existing folder")
                            .arg(fileName, info.dir().path()));
    // Checked here so the message names the file asked for, not the scratch file the work starts with.
    if (!QFileInfo(info.dir().path()).isWritable())
        throw DataError(QStringLiteral("Cannot create '%1': this user may not write in the folder '%2'")
                            .arg(fileName, info.dir().path()),
                        DataError::Kind::ReadOnly);
}

// Moves a finished scratch file to its final name without ever replacing a file that appeared meanwhile: the
// kernel refuses the rename when the name is taken, so there is no gap between looking and moving.
void moveIntoPlace(const QString& scratch, const QString& fileName, const QString& what)
{
    const QByteArray from = QFile::encodeName(scratch);
    const QByteArray to = QFile::encodeName(fileName);
    int rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the no-replace rename: a hard link fails just as atomically on a taken name.
        rc = ::link(from.constData(), to.constData());
        if (rc == 0)
            ::unlink(from.constData());
    }
    if (rc != 0) {
        const int error = errno;
        if (error == EEXIST)
            refuseExisting(fileName, what);
        throw DataError(
            QStringLiteral("Cannot create '%1': %2").arg(fileName, QString::fromLocal8Bit(strerror(error))));
    }
}

QList<BankItem> bundledItems()
{
    QFile file(QStringLiteral(":/items/items.csv"));
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("The bundled item bank is missing from the program"));
    QList<BankItem> items;
    QStringList errors;
    if (!tryParseItemCsv(file.readAll(), &items, &errors))
        throw DataError(QStringLiteral("The bundled item bank is damaged: ") + errors.join(QStringLiteral("; ")));
    return items;
}

void createDatabase(const QString& fileName, const QList<BankItem>& items)
{
    refuseExisting(fileName, QStringLiteral("ravlen-db"));
    removeAbandonedScratchFiles(fileName);
    // The scratch file and every side file the engine makes beside it are owner-only from their first byte.
    const OwnerOnlyFiles ownerOnly;
    // The database is built under a scratch name and renamed at the end, so a failure or an interrupted run never
    // leaves a half-filled file under the real name for the application to open.
    const QString scratch = scratchName(fileName);
    try {
        withDatabase(scratch, true, [&](DbBackend& db) {
            const ScratchLock building(scratch);
            db.inTransaction(QStringLiteral("Cannot fill '%1'").arg(fileName), [&] {
                for (const QString& sql : Schema::statements())
                    db.execute(sql);
                insertItems(db, items);
            });
        });
        moveIntoPlace(scratch, fileName, QStringLiteral("ravlen-db"));
    } catch (...) {
        SqlBackend::removeDatabaseFiles(scratch);
        throw;
    }
}

QList<BankItem> readItems(const QString& fileName)
{
    // Read only: an export changes nothing in the file, and may run while the program has it open.
    const ReadOnlyDatabase db(fileName);
    const SqlBackend::ReadResult result = SqlBackend::readQuery(
        db.database(), QStringLiteral("SELECT Group1, Group2, Scoring, Question FROM Questions ORDER BY Row"));
    QList<BankItem> items;
    for (size_t i = 0; i + 3 < result.values.size(); i += 4) {
        items.append(BankItem{result.values[i].toString(), result.values[i + 1].toString(),
                              result.values[i + 2].toBool(), result.values[i + 3].toString()});
    }
    return items;
}

void replaceItems(const QString& fileName, const QList<BankItem>& items)
{
    withDatabase(fileName, false, [&](DbBackend& db) {
        requireTables(db, fileName);
        db.inTransaction(QStringLiteral("Cannot import items into '%1'").arg(fileName), [&] {
            // Counted inside the write transaction: no participant can be registered between the check and the
            // replacement, whose items his question table would no longer match.
            const ReadResult count = db.readQuery(QStringLiteral("SELECT count(*) FROM Profiles"), true);
            const qint64 participants = count.values.empty() ? 0 : count.values.front().toLongLong();
            if (participants > 0)
                throw DataError(QStringLiteral("'%1' already holds %2 participant(s); items can be imported only "
                                               "into a database without participants (make one with "
                                               "ravlen-db create)")
                                    .arg(fileName)
                                    .arg(participants));
            db.execute(QStringLiteral("DELETE FROM Questions"));
            insertItems(db, items);
        });
    });
}

void writeNewFile(const QString& fileName, const QByteArray& bytes)
{
    refuseExisting(fileName, QStringLiteral("ravlen-db"));
    QTemporaryFile file(
        QFileInfo(fileName).dir().filePath(QStringLiteral(".%1.XXXXXX.new").arg(QFileInfo(fileName).fileName())));
    if (!file.open())
        throw DataError(QStringLiteral("Cannot create '%1': %2").arg(fileName, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw DataError(QStringLiteral("Cannot write '%1': %2").arg(fileName, file.errorString()));
    file.close();
    moveIntoPlace(file.fileName(), fileName, QStringLiteral("ravlen-db"));
    file.setAutoRemove(false);
}

} // namespace ItemStore
