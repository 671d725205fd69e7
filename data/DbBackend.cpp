#include "data/DbBackend.h"

#include "data/DataError.h"
#include "data/PgServerBackend.h"
#include "data/SqlBackend.h"
#include "data/SqliteBackend.h"

void finishQueryRows(ReadResult& rows, bool rowByRow)
{
    for (FieldDef& f : rows.fields)
        f.readOnly = true;
    if (!rowByRow)
        return;
    rows.values.reserve(size_t(rows.store.rowCount()) * rows.fields.size());
    for (int row = 0; row < rows.store.rowCount(); ++row)
        for (int c = 0; c < rows.store.columnCount(); ++c)
            rows.values.push_back(rows.store.value(row, c));
}

QString serverUriOf(const QString& dataSource)
{
    const QString s = dataSource.trimmed();
    for (const QLatin1String scheme : {QLatin1String("postgresql://"), QLatin1String("postgres://")})
        if (s.startsWith(scheme, Qt::CaseInsensitive))
            return scheme + s.mid(scheme.size());
    return QString();
}

bool isServerDataSource(const QString& dataSource)
{
    return !serverUriOf(dataSource).isEmpty();
}

std::unique_ptr<DbBackend> openBackend(const QString& dataSource, const FileSystemCheck::TypeProbe& fileSystemType)
{
    if (const QString uri = serverUriOf(dataSource); !uri.isEmpty())
        return openPgServerBackend(uri);
    return SqliteBackend::open(dataSource, fileSystemType, SqlBackend::ReadOnlyFile::OpenForReading);
}
