#include "data/DbBackend.h"

#include "data/DataError.h"
#include "data/PgServerBackend.h"
#include "data/SqliteBackend.h"

bool isServerDataSource(const QString& dataSource)
{
    const QString s = dataSource.trimmed();
    return s.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           s.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::unique_ptr<DbBackend> openBackend(const QString& dataSource)
{
    if (isServerDataSource(dataSource))
        return openPgServerBackend(dataSource.trimmed());
    return SqliteBackend::open(dataSource);
}
