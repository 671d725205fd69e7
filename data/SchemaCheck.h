#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// What a file must hold before the program runs anything on it: the two tables with every column the program
// reads, and no trigger (a trigger in a tampered file runs hidden statements whenever the program writes: one
// deleted participant 1 at the next registration, another rewrote Questions when an answer was posted). Views,
// indexes, the engine's own tables and other tables are left alone. Reads only.
namespace SchemaCheck {

// The columns the program reads, per table, in the program's spelling; whatever engine holds the database.
const std::vector<std::pair<QString, QStringList>>& requiredColumns();

// Every problem, each naming the object ("it has no Profiles table", "its Questions table has no Score column",
// "it holds the trigger 'Wipe' on table 'Profiles', ..."); empty for a sound file.
QStringList problems(const QSqlDatabase& db);

// Throws DataError (kind Schema) naming the file and its first problem.
void require(const QSqlDatabase& db, const QString& fileName);

} // namespace SchemaCheck
