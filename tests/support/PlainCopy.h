#pragma once

#include <QString>
#include <QStringList>

// What a copy of a database file taken alone holds, as `cp` of that one file would have it, without the engine's
// side files: the first column of every row `sql` returns from such a copy taken now, as text. Empty when the
// copy cannot be read or the query fails (a table the copy does not hold yet).
QStringList firstColumnOfPlainCopy(const QString& fileName, const QString& sql);
