#pragma once

// The texts of the two score queries over a participant question table, as lists of lines (a query sends them
// joined by line breaks). The percentage is spelt out from its parts, Round(Sum(Score)*100/(Count(Group1)*5),2),
// because SQLite does not let a select list use its own aliases; the result is the same. The table name goes in
// unchanged: participant question tables are named by capitals only, which need no quoting.

#include <QString>
#include <QStringList>

// qTest1: one row per overall scale (Group1); the query dataset yields the groups in Persian order.
QStringList scoreByScaleSql(const QString& table);

// qTest2: one row per sub-scale (Group2), ordered by Group2.
QStringList scoreBySubScaleSql(const QString& table);
