#include "data/TableNameGuard.h"

#include "data/DataError.h"

bool isParticipantTableName(const QString& name)
{
    if (name.isEmpty() || name.size() > 15)
        return false;
    for (const QChar c : name)
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            return false;
    return true;
}

QString checkedParticipantTableName(const QString& name)
{
    if (!isParticipantTableName(name))
        throw DataError(QStringLiteral("'%1' is not a valid participant question table name: it must be 1 to 15 "
                                       "capital letters A to Z")
                            .arg(name));
    return name;
}
