#include "data/FileUpgrade.h"

#include "calendar/Clock.h"
#include "calendar/ShDateCore.h"
#include "data/DataError.h"
#include "data/DbConnection.h"
#include "data/OwnerOnlyFiles.h"
#include "data/SqlBackend.h"
#include "data/TableNameGuard.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace FileUpgrade {
namespace {

// ---- reading SQL text ----------------------------------------------------------------------------------------

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() > 0x7f;
}

// The end of the quoted text or name starting at `from` ('...', "...", `...` or [...]); a doubled quote inside
// stands for one.
qsizetype endOfQuoted(const QString& sql, qsizetype from)
{
    const QChar open = sql[from];
    const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
    qsizetype i = from + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (close != QLatin1Char(']') && i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[');
}

// The end of the comment starting at `from`, or `from` when none starts there.
qsizetype endOfComment(const QString& sql, qsizetype from)
{
    if (QStringView(sql).mid(from, 2) == QLatin1String("--")) {
        const qsizetype end = sql.indexOf(QLatin1Char('\n'), from);
        return end < 0 ? sql.size() : end + 1;
    }
    if (QStringView(sql).mid(from, 2) == QLatin1String("/*")) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), from + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    return from;
}

struct Name
{
    QString text;
    qsizetype end = 0;
};

// The name (bare or quoted) after the blanks at `from`.
Name nameAt(const QString& sql, qsizetype from)
{
    qsizetype i = from;
    while (i < sql.size() && sql[i].isSpace())
        ++i;
    if (i < sql.size() && isQuote(sql[i])) {
        const qsizetype end = endOfQuoted(sql, i);
        return {sql.mid(i + 1, end - i - 2), end};
    }
    qsizetype end = i;
    while (end < sql.size() && isWordChar(sql[end]))
        ++end;
    return {sql.mid(i, end - i), end};
}

// ---- reading the file ------------------------------------------------------------------------------------------

QString literal(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

using Rows = QList<QVariantList>;

Rows rowsOf(const DbConnection& connection, const QString& sql)
{
    const ReadResult result = connection.backend().readQuery(sql, true);
    const size_t width = result.fields.size();
    Rows rows;
    for (size_t i = 0; width > 0 && i + width <= result.values.size(); i += width)
        rows.append(QVariantList(result.values.begin() + qsizetype(i), result.values.begin() + qsizetype(i + width)));
    return rows;
}

struct SchemaObject
{
    QString type;
    QString name;
    QString table;
    QString sql;
};

enum class Entries
{
    All,
    // Only those whose text holds the word COLLATE at all: the engine picks them out, so a file with thousands of
    // participant tables and no collation hands over none of its schema text.
    NamingACollation,
};

// The tables, indexes and views the file's schema text declares, in the order they were made.
QList<SchemaObject> schemaObjects(const DbConnection& connection, Entries entries = Entries::All)
{
    QString sql = QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master WHERE sql IS NOT NULL AND "
                                 "type IN ('table', 'index', 'view')");
    if (entries == Entries::NamingACollation)
        sql += QStringLiteral(" AND sql LIKE '%collate%'"); // the engine's LIKE ignores letter case
    QList<SchemaObject> objects;
    for (const QVariantList& row : rowsOf(connection, sql + QStringLiteral(" ORDER BY rowid")))
        objects.append({row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString()});
    return objects;
}

bool declaresCollation(const SchemaObject& object)
{
    return withoutCollation(object.sql) != object.sql;
}

// ---- the backup copy -------------------------------------------------------------------------------------------

QString nowStamp()
{
    const double now = Clock::now();
    const double days = std::floor(now);
    const QDateTime moment(QDate(1899, 12, 30).addDays(qint64(days)),
                           QTime(0, 0).addMSecs(int(std::llround((now - days) * double(ShDateCore::MsPerDay)) % ShDateCore::MsPerDay)));
    return moment.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

// Creates an empty owner-only file under a name no file has: the upgrade's backup name, or that name with
// "-2", "-3", ... before ".bak" when an earlier upgrade on the same second left one.
QString createBackupFile(const QString& fileName)
{
    const QString first = backupFileName(fileName, nowStamp());
    for (int attempt = 1;; ++attempt) {
        QString name = first;
        if (attempt > 1)
            name.insert(name.size() - 4, QStringLiteral("-%1").arg(attempt));
        const int fd =
            ::open(QFile::encodeName(name).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST || attempt >= 1000)
            throw DataError(QStringLiteral("Cannot write the copy '%1' kept before upgrading database file '%2': %3")
                                .arg(name, fileName, QString::fromLocal8Bit(std::strerror(errno))),
                            errno == ENOSPC ? DataError::Kind::DiskFull : DataError::Kind::ReadOnly);
    }
}

void syncToDisk(const QString& fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        throw DataError(QStringLiteral("Cannot write the copy '%1' to disk").arg(fileName));
}

// A consistent copy of the file as it is now, taken through the open connection (so answers still in the
// write-ahead log are in it too).
QString writeBackup(DbConnection& connection)
{
    const OwnerOnlyFiles ownerOnly;
    const QString name = createBackupFile(connection.fileName());
    try {
        connection.execute(QStringLiteral("VACUUM INTO ") + literal(name));
        syncToDisk(name);
    } catch (...) {
        QFile::remove(name);
        throw;
    }
    return name;
}

// ---- rebuilding ------------------------------------------------------------------------------------------------

QString quoted(const QString& name)
{
    return SqlBackend::quoteIdentifier(name);
}

bool hasRowIdentity(const DbConnection& connection, const QString& table)
{
    try {
        rowsOf(connection, QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(quoted(table)));
        return true;
    } catch (const DataError&) {
        return false; // a table without row identity
    }
}

// The auto-increment counters by table name, read once for the whole rebuild; a counter may stand above its
// table's highest row when rows were deleted.
QHash<QString, qint64> sequences(const DbConnection& connection)
{
    QHash<QString, qint64> found;
    if (rowsOf(connection, QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'sqlite_sequence'")).isEmpty())
        return found;
    for (const QVariantList& row : rowsOf(connection, QStringLiteral("SELECT name, seq FROM sqlite_sequence "
                                                                     "ORDER BY rowid")))
        if (!found.contains(row[0].toString())) // the first row of a name is the one the engine reads
            found.insert(row[0].toString(), row[1].toLongLong());
    return found;
}

void restoreSequence(DbConnection& connection, const QString& table, qint64 sequence)
{
    connection.execute(QStringLiteral("UPDATE sqlite_sequence SET seq = %2 WHERE name = %1 AND seq < %2;"
                                      "INSERT INTO sqlite_sequence (name, seq) SELECT %1, %2 WHERE NOT EXISTS "
                                      "(SELECT 1 FROM sqlite_sequence WHERE name = %1)")
                           .arg(literal(table))
                           .arg(sequence));
}

// Makes `table` anew from its declaration without the collation: its rows wait in a temporary table meanwhile,
// and its indexes are made again after it.
void rebuildTable(DbConnection& connection, const SchemaObject& table, const QList<const SchemaObject*>& indexes,
                  std::optional<qint64> sequence)
{
    QStringList columns;
    for (const QVariantList& row :
         rowsOf(connection, QStringLiteral("SELECT name FROM pragma_table_info(%1)").arg(literal(table.name))))
        columns.append(quoted(row[0].toString()));
    const QString list = columns.join(QLatin1Char(','));
    const bool rowIdentity = hasRowIdentity(connection, table.name);
    const QString holding = QStringLiteral("temp.ravlen_upgrade");

    connection.execute(QStringLiteral("CREATE TABLE %1 AS SELECT %2%3 FROM main.%4")
                           .arg(holding, rowIdentity ? QStringLiteral("rowid AS ravlen_rowid,") : QString(), list,
                                quoted(table.name)));
    connection.execute(QStringLiteral("DROP TABLE main.%1").arg(quoted(table.name)));
    connection.execute(withoutCollation(table.sql));
    connection.execute(QStringLiteral("INSERT INTO main.%1 (%2%3) SELECT %4%3 FROM %5")
                           .arg(quoted(table.name), rowIdentity ? QStringLiteral("rowid,") : QString(), list,
                                rowIdentity ? QStringLiteral("ravlen_rowid,") : QString(), holding));
    connection.execute(QStringLiteral("DROP TABLE %1").arg(holding));
    for (const SchemaObject* index : indexes)
        connection.execute(withoutCollation(index->sql));
    if (sequence)
        restoreSequence(connection, table.name, *sequence);
}

void redeclare(DbConnection& connection, const SchemaObject& object)
{
    connection.execute(QStringLiteral("DROP %1 main.%2").arg(object.type.toUpper(), quoted(object.name)));
    connection.execute(withoutCollation(object.sql));
}

void rebuildWithoutCollation(DbConnection& connection)
{
    const QList<SchemaObject> objects = schemaObjects(connection);
    const QHash<QString, qint64> counters = sequences(connection);
    QHash<QString, QList<const SchemaObject*>> indexesOf;
    for (const SchemaObject& object : objects)
        if (object.type == QLatin1String("index"))
            indexesOf[object.table.toLower()].append(&object);
    QSet<QString> rebuilt;
    for (const SchemaObject& object : objects) {
        if (object.type == QLatin1String("table") && declaresCollation(object)) {
            const auto counter = counters.constFind(object.name);
            rebuildTable(connection, object, indexesOf.value(object.name.toLower()),
                         counter == counters.cend() ? std::nullopt : std::optional<qint64>(*counter));
            rebuilt.insert(object.name.toLower());
        }
    }
    // Indexes of a rebuilt table were made again with it; the others and the views are declared anew.
    for (const SchemaObject& object : objects)
        if (object.type != QLatin1String("table") && declaresCollation(object) &&
            !(object.type == QLatin1String("index") && rebuilt.contains(object.table.toLower())))
            redeclare(connection, object);
}

// What the user reads when the upgrade was undone: a lock or a full disk is worth a retry as such; anything
// else (a row the rebuilt table refuses) means the file is not as the program made it.
DataError upgradeError(const QString& fileName, const DataError& e)
{
    using Kind = DataError::Kind;
    const bool passing = e.kind() == Kind::Busy || e.kind() == Kind::DiskFull || e.kind() == Kind::ReadOnly;
    return DataError(QStringLiteral("Cannot upgrade database file '%1' made by an earlier build; it is left as it "
                                    "was: %2")
                         .arg(fileName, e.message()),
                     passing ? e.kind() : Kind::Schema);
}

// ---- half-registered profiles ---------------------------------------------------------------------------------

struct ProfileWithoutTable
{
    QVariant fileNo;
    QString table;
};

// Profiles naming a participant table that does not exist, by file number. The tables are listed once and the
// profiles checked against the list, so a sound file costs two reads whatever its number of participants.
QList<ProfileWithoutTable> profilesWithoutTable(const DbConnection& connection)
{
    const TableNameSet tables = connection.tableNameSet();
    QList<ProfileWithoutTable> found;
    for (const QVariantList& row : rowsOf(connection, QStringLiteral("SELECT FileNo, QTable FROM Profiles WHERE "
                                                                     "QTable IS NOT NULL ORDER BY FileNo"))) {
        const QString table = row[1].toString();
        if (isParticipantTableName(table) && !tables.contains(table))
            found.append({row[0], table});
    }
    return found;
}

} // namespace

QString withoutCollation(const QString& sql, const QString& collation)
{
    QString out;
    out.reserve(sql.size());
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype end = endOfComment(sql, i);
        if (end == i && isQuote(c))
            end = endOfQuoted(sql, i);
        if (end > i) {
            out += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (!isWordChar(c)) {
            out += c;
            ++i;
            continue;
        }
        end = i;
        while (end < sql.size() && isWordChar(sql[end]))
            ++end;
        const QStringView word = QStringView(sql).mid(i, end - i);
        if (word.compare(QLatin1String("COLLATE"), Qt::CaseInsensitive) == 0) {
            const Name name = nameAt(sql, end);
            if (name.text.compare(collation, Qt::CaseInsensitive) == 0) {
                while (!out.isEmpty() && out.back().isSpace())
                    out.chop(1);
                i = name.end;
                continue;
            }
        }
        out += word;
        i = end;
    }
    return out;
}

bool declaresEarlierCollation(const DbConnection& connection)
{
    const QList<SchemaObject> objects = schemaObjects(connection, Entries::NamingACollation);
    return std::any_of(objects.begin(), objects.end(), declaresCollation);
}

QString backupFileName(const QString& fileName, const QString& stamp)
{
    return fileName + QStringLiteral(".before-upgrade-") + stamp + QStringLiteral(".bak");
}

QString removeEarlierCollation(DbConnection& connection)
{
    if (connection.backend().engine() != DbBackend::Engine::SqliteFile || !declaresEarlierCollation(connection))
        return QString();
    const QString backup = writeBackup(connection);
    try {
        connection.inTransaction(QStringLiteral("Cannot upgrade database file '%1'").arg(connection.fileName()),
                                 [&] { rebuildWithoutCollation(connection); });
    } catch (const DataError& e) {
        // Rolled back: the file is as the copy has it, and the next start makes a fresh copy before it tries again.
        QFile::remove(backup);
        throw upgradeError(connection.fileName(), e);
    }
    return backup;
}

QList<int> repairParticipantTables(DbConnection& connection)
{
    // Looked for first without the write lock, so a sound file costs the connect step no more than a read.
    if (profilesWithoutTable(connection).isEmpty())
        return {};
    QList<int> repaired;
    const QString doing = QStringLiteral("Cannot make the missing question tables in '%1'").arg(connection.fileName());
    connection.inTransaction(doing, [&] {
        repaired.clear();
        QSet<QString> made;
        for (const ProfileWithoutTable& profile : profilesWithoutTable(connection)) {
            if (!made.contains(profile.table)) {
                connection.execute(QStringLiteral("SELECT * INTO ") + profile.table +
                                   QStringLiteral(" FROM Questions Where Row>=0"));
                made.insert(profile.table);
            }
            if (!profile.fileNo.isNull())
                repaired.append(profile.fileNo.toInt());
        }
    });
    return repaired;
}

QList<int> participantTablesMissing(const DbConnection& connection)
{
    QList<int> fileNos;
    for (const ProfileWithoutTable& profile : profilesWithoutTable(connection))
        if (!profile.fileNo.isNull())
            fileNos.append(profile.fileNo.toInt());
    return fileNos;
}

} // namespace FileUpgrade
