#include "data/Schema.h"

#include "data/DataError.h"
#include "data/DbConnection.h"
#include "data/OwnerOnlyFiles.h"
#include "data/SqlBackend.h"
#include "data/SqliteBackend.h"
#include "data/ZarkU.h"

#include <QFileInfo>

namespace Schema {

QStringList statements()
{
    // Declared types carry the field kinds the datasets read (TINYINT, BOOLEAN, VARCHAR(n), DOUBLE); the CHECKs
    // hold the ranges and lengths a typeless engine would otherwise let through. No collation or function of ours
    // appears, so any SQLite tool can read, group and sort the file; Persian order is the data layer's business.
    auto textColumn = [](const char* name, int size) {
        return QStringLiteral("%1 VARCHAR(%2) CHECK (%1 IS NULL OR (typeof(%1) = 'text' AND length(%1) <= %2))")
            .arg(QLatin1String(name))
            .arg(size);
    };
    auto byteColumn = [](const char* name) {
        return QStringLiteral("%1 TINYINT CHECK (%1 IS NULL OR (typeof(%1) = 'integer' AND %1 BETWEEN 0 AND 255))")
            .arg(QLatin1String(name));
    };
    auto boolColumn = [](const char* name) {
        return QStringLiteral("%1 BOOLEAN NOT NULL DEFAULT 0 CHECK (%1 IN (0, 1))").arg(QLatin1String(name));
    };
    auto doubleColumn = [](const char* name) {
        return QStringLiteral("%1 DOUBLE DEFAULT 0 CHECK (%1 IS NULL OR typeof(%1) IN ('real', 'integer'))")
            .arg(QLatin1String(name));
    };

    const QStringList profiles{
        QStringLiteral("FileNo INTEGER CHECK (FileNo IS NULL OR (typeof(FileNo) = 'integer' "
                       "AND FileNo BETWEEN -2147483648 AND 2147483647))"),
        textColumn("Date", 10),
        textColumn("FName", 255),
        textColumn("LName", 255),
        byteColumn("Age"),
        byteColumn("Gender"),
        byteColumn("Grade"),
        textColumn("QTable", 15),
        boolColumn("Completed"),
    };
    const QStringList questions{
        QStringLiteral("Row INTEGER PRIMARY KEY AUTOINCREMENT CHECK (Row BETWEEN -2147483648 AND 2147483647)"),
        textColumn("Group1", 255),
        textColumn("Group2", 255),
        boolColumn("Scoring"),
        textColumn("Question", 255),
        doubleColumn("Answer"),
        doubleColumn("Score"),
    };
    return {
        QStringLiteral("CREATE TABLE Profiles (\n    %1\n)").arg(profiles.join(QLatin1String(",\n    "))),
        // Two workstations registering one file number at the same moment: the second insert fails instead of
        // leaving two profiles that a look-up cannot tell apart.
        QStringLiteral("CREATE UNIQUE INDEX ProfilesFileNo ON Profiles (FileNo)"),
        QStringLiteral("CREATE TABLE Questions (\n    %1\n)").arg(questions.join(QLatin1String(",\n    "))),
    };
}

void createTables(DbConnection& connection)
{
    connection.backend().inTransaction(QStringLiteral("Cannot create the tables"), [&] {
        for (const QString& sql : statements())
            connection.execute(sql);
    });
}

void createDatabaseFile(const QString& fileName)
{
    const OwnerOnlyFiles ownerOnly;
    try {
        // Closed at the end of this block, before a failure below removes the half-made file.
        const std::unique_ptr<SqliteBackend> created = SqliteBackend::create(fileName);
        created->inTransaction(QStringLiteral("Cannot create the tables"), [&] {
            for (const QString& sql : statements())
                created->execute(sql);
        });
    } catch (const DataError& e) {
        // "already exists" leaves the file alone; anything later removes the half-made one.
        if (QFileInfo::exists(fileName) && !e.message().contains(QLatin1String("already exists")))
            SqlBackend::removeDatabaseFiles(fileName);
        throw;
    }
}

} // namespace Schema
