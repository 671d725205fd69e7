#pragma once

#include <QList>
#include <QString>

class DbConnection;

// What the application's connect step mends in a database file before the windows use it. Both run on a
// connection just opened (schema checked, nothing else running on it), each all or nothing.
namespace FileUpgrade {

// The collation earlier builds declared on every text column. A stock SQLite tool knows no such collation and
// fails on GROUP BY, ORDER BY, DISTINCT and comparisons of those columns.
inline constexpr const char* earlierCollation = "PERSIAN";

// `sql` with every "COLLATE <collation>" clause taken out; quoted texts, quoted names and comments are left alone.
QString withoutCollation(const QString& sql, const QString& collation = QLatin1String(earlierCollation));

// Whether any table, index or view of the file declares the earlier collation.
bool declaresEarlierCollation(const DbConnection& connection);

// Rebuilds every table, index and view that declares the earlier collation without it, keeping every row (with
// its identity) and the auto-increment counters, in one transaction. First writes a copy of the file as it is
// beside it, owner-only, under a new name (see backupFileName); an existing file is never replaced. Returns the
// copy's name, or an empty text when the file declares no such collation (or is no SQLite file) and nothing was
// done.
QString removeEarlierCollation(DbConnection& connection);

// The name of the copy kept before an upgrade on `stamp` (yyyyMMdd-HHmmss): "<file>.before-upgrade-<stamp>.bak".
QString backupFileName(const QString& fileName, const QString& stamp);

// Profiles left by a registration cut short before it was one unit of work: the profile was written, its
// question table never made, so every look-up of the number fails and the number can never be registered again.
// Makes each missing table from Questions, as registration does, in one transaction, and returns the file numbers
// whose tables were made, in ascending order. Works on a database server as on a file. Profiles naming something other than a participant table name, or
// a table or view that exists, are left alone; nothing is ever deleted.
QList<int> repairParticipantTables(DbConnection& connection);

// The file numbers whose tables repairParticipantTables would make, in ascending order; only reads.
QList<int> participantTablesMissing(const DbConnection& connection);

} // namespace FileUpgrade
