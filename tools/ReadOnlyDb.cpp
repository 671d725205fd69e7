#include "tools/ReadOnlyDb.h"

#include "data/DataError.h"
#include "data/SchemaCheck.h"
#include "data/SqlBackend.h"

ReadOnlyDb::ReadOnlyDb(const QString& fileName, ReadOnlyDatabase::SideFiles sideFiles)
    : m_db(fileName, ReadOnlyDatabase::Schema::Unchecked, sideFiles)
{
}

QStringList ReadOnlyDb::column(const QString& sql) const
{
    try {
        const SqlBackend::ReadResult result = SqlBackend::readQuery(m_db.database(), sql, false);
        QStringList values;
        for (int row = 0; row < result.store.rowCount(); ++row)
            values.append(result.store.value(row, 0).toString());
        return values;
    } catch (const DataError& e) {
        throw DataError(QStringLiteral("Cannot read database file '%1': %2").arg(fileName(), e.message()), e.kind());
    }
}

QStringList ReadOnlyDb::schemaProblems() const
{
    return SchemaCheck::problems(m_db.database());
}

void ReadOnlyDb::requireRavlenSchema() const
{
    const QStringList problems = schemaProblems();
    if (!problems.isEmpty())
        throw DataError(QStringLiteral("'%1' is not a Ravlen database: %2").arg(fileName(), problems.first()),
                        DataError::Kind::Schema);
}
