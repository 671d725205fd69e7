#include "data/ScoreQueries.h"

namespace {

// A sub-scale's top score counts the rows that carry an overall scale, so both queries count Group1.
QString selectLine(const char* group)
{
    return QStringLiteral("SELECT %1, Sum(Score) AS SumScore, Count(Group1)*5 AS TopScore, "
                          "Round(Sum(Score)*100/(Count(Group1)*5),2) AS Per")
        .arg(QLatin1String(group));
}

QString fromLine(const QString& table)
{
    return QStringLiteral("FROM ") + table;
}

} // namespace

QStringList scoreByScaleSql(const QString& table)
{
    return {selectLine("Group1"), fromLine(table), QStringLiteral("GROUP BY Group1;")};
}

QStringList scoreBySubScaleSql(const QString& table)
{
    return {selectLine("Group2"), fromLine(table), QStringLiteral("GROUP BY Group2 ORDER BY Group2;")};
}
