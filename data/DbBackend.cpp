#include "data/DbBackend.h"

#include "data/DataError.h"
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
        throw DataError(QStringLiteral("Cannot connect to '%1': this build reaches no database server").arg(dataSource),
                        DataError::Kind::Unsupported);
    return SqliteBackend::open(dataSource);
}
