#pragma once

#include <QRegularExpressionMatch>
#include <QString>

#include <optional>

class QSqlDatabase;

// The table copy the program's SQL writes as "SELECT * INTO <new> FROM <table> [WHERE <condition>]", a form the
// engine lacks, run as the statements it does have.
namespace SqlBackend {

// The table copy written as "SELECT * INTO <new> FROM <table> [WHERE <condition>]", which the engine lacks;
// no match when `sql` is not of that form.
std::optional<QRegularExpressionMatch> matchTableCopy(const QString& sql);

// The new table takes the source's column declarations (types, lengths, auto-increment), and the rows keep
// their values. All or nothing; a savepoint inside a caller's unit of work.
int copyTable(const QSqlDatabase& db, const QRegularExpressionMatch& m);

} // namespace SqlBackend
