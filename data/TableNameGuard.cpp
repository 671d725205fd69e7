#include "data/TableNameGuard.h"

#include "data/DataError.h"

bool isParticipantTableName(const QString& name)
{
    if (name.size() != participantTableNameLength)
        return false;
    for (const QChar c : name)
        if (c < QLatin1Char('A') || c > QLatin1Char('Y'))
            return false;
    return true;
}

QString checkedParticipantTableName(const QString& name)
{
    if (!isParticipantTableName(name))
        throw DataError(QStringLiteral("'%1' is not a valid participant question table name: it must be %2 capital "
                                       "letters A to Y")
                            .arg(name)
                            .arg(participantTableNameLength),
                        DataError::Kind::BadTableName);
    return name;
}
