#include "tools/Check.h"

#include "data/DataError.h"
#include "tools/ReadOnlyDb.h"

#include <QFile>
#include <QtEndian>

#include <optional>

namespace Check {
namespace {

const QString kRestoreAdvice =
    QStringLiteral("Do not start new tests on this file. Put it aside (keep it: it may still hold answers), copy "
                   "your latest backup into the data folder under the name Ravlen.mdb, and check that copy.");
const QString kForeignAdvice =
    QStringLiteral("Ravlen cannot use this file. If it should be your Ravlen database, restore your latest "
                   "backup copy; for a new, empty database run: ravlen-db create FILE");

QString adviceFor(DataError::Kind kind)
{
    switch (kind) {
    case DataError::Kind::MissingFile:
        return QStringLiteral("Check the name: the program's database is Ravlen.mdb in its data folder "
                              "(~/Ravlen unless you chose another).");
    case DataError::Kind::AccessDenied:
        return QStringLiteral("Run the check as the user who runs Ravlen, or give that user permission to read "
                              "the file.");
    case DataError::Kind::Busy:
        return QStringLiteral("Another program holds the file locked. Close it and check again.");
    case DataError::Kind::Schema:
        return kForeignAdvice;
    default:
        return kRestoreAdvice;
    }
}

// A file cut short (a copy that did not finish, a full disk) may still open, and the engine reads the missing
// pages as if they were empty; the header's own page count says how long the file must be.
std::optional<Finding> truncation(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return std::nullopt;
    const auto u32 = [&](int at) { return qFromBigEndian<quint32>(header.constData() + at); };
    const quint16 rawPageSize = qFromBigEndian<quint16>(header.constData() + 16);
    const qint64 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    // The page count is valid only when the change counter matches the version it was written with.
    if (u32(24) != u32(92))
        return std::nullopt;
    const qint64 expected = pageSize * u32(28);
    if (file.size() >= expected)
        return std::nullopt;
    return Finding{QStringLiteral("the file is cut short: it holds %1 of the %2 bytes its header counts")
                       .arg(file.size())
                       .arg(expected),
                   kRestoreAdvice};
}

QString integrityProblem(const ReadOnlyDb& db)
{
    const QStringList lines = db.column(QStringLiteral("PRAGMA integrity_check(20)"));
    if (lines == QStringList{QStringLiteral("ok")})
        return QString();
    return QStringLiteral("the engine's integrity check finds it damaged: ") + lines.join(QStringLiteral("; "));
}

void inspect(const ReadOnlyDb& db, Report& report)
{
    const QString integrity = integrityProblem(db);
    if (!integrity.isEmpty())
        report.findings.append({integrity, kRestoreAdvice});
    const QStringList schema = db.schemaProblems();
    for (const QString& problem : schema)
        report.findings.append({problem, kForeignAdvice});
    if (schema.isEmpty()) {
        report.participants = db.column(QStringLiteral("SELECT count(*) FROM Profiles")).value(0).toLongLong();
        report.items = db.column(QStringLiteral("SELECT count(*) FROM Questions")).value(0).toLongLong();
    }
}

} // namespace

Report checkDatabase(const QString& fileName)
{
    Report report;
    if (const std::optional<Finding> cut = truncation(fileName))
        report.findings.append(*cut);
    try {
        // This process has no other connection to the file, so the side files its reading made go with it when
        // no program has the file open: a dated backup on a stick stays one file.
        const ReadOnlyDb db(fileName, ReadOnlyDatabase::SideFiles::RemoveIfUnused);
        inspect(db, report);
    } catch (const DataError& error) {
        // A damaged file can fail part-way through the checks; what failed is itself the finding.
        report.findings.append({error.message(), adviceFor(error.kind())});
    }
    return report;
}

} // namespace Check
