#pragma once

#include "data/SqlBackend.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class PgConnection;

// The database on a PostgreSQL server: the same operations as the file's, on a PgConnection.
//
// Tables are made with unquoted names, so the server keeps them folded to lower case and the program's SQL texts
// (unquoted too) find them; names given to these functions are matched without regard to case, and the columns
// read back carry the spelling the program uses. A row's identity is its table's key (Profiles.FileNo, a
// question table's Row); a table without one is addressed by its physical row position.
namespace PgBackend {

// The statements that make the schema on an empty database: the Persian collation, the two tables with their
// ranges, lengths and the unique file number, and the round(double, int) the score queries call. Profiles keeps
// the order of registration in a numbered column `rowid`, which, like a file's rowid, only a query naming it sees.
QStringList schemaStatements();

// Makes the schema in one transaction. Refuses a database that holds any table or view already.
void createSchema(PgConnection& connection);

// Refuses (DataError Kind::Schema) a database without the two tables and every column the program reads, or
// with a trigger on a table: a trigger would make hidden writes at a registration or an answer.
void checkSchema(PgConnection& connection);

// Opens the connection and checks the schema; the connection is closed again when the check fails.
void openChecked(PgConnection& connection);

QStringList tableNames(PgConnection& connection);
bool tableExists(PgConnection& connection, const QString& name);

SqlBackend::ReadResult readTable(PgConnection& connection, const QString& table, bool tablesOnly = false);
SqlBackend::ReadResult readQuery(PgConnection& connection, const QString& sql, bool rowByRow = true);
bool readRow(PgConnection& connection, const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
             std::vector<QVariant>& out);

// Writes the changed columns when every one still holds its original value; Conflict otherwise. Returns the
// row's identity afterwards (it changes only when the key column or, for a keyless table, the row moved).
qint64 updateRow(PgConnection& connection, const QString& table, qint64 rowId, const QStringList& columns,
                 const QVariantList& newValues, const QVariantList& originalValues);
qint64 insertRow(PgConnection& connection, const QString& table, const QStringList& columns,
                 const QVariantList& values);

// "SELECT * INTO <new> FROM <table> [WHERE ...]" runs natively; the new table then gets the source's key, so
// its rows can be posted to.
int execute(PgConnection& connection, const QString& sql);
int executeStatement(PgConnection& connection, const QString& sql);

void inTransaction(PgConnection& connection, const QString& doing, const std::function<void()>& work);

// `sql` with every divisor (of / and %) wrapped in NULLIF(divisor, 0): the file's engine gives an empty value for
// a division by zero where the server would fail the whole statement. Quoted texts and comments stay as written.
// Every command and query the program gives the backend goes through it.
QString withFileDivision(const QString& sql);

// The spelling the program uses for a column or alias the server returned folded to lower case: the spelling
// in `sql` when the name occurs there as a word, else the schema's, else the name as returned.
QString programSpelling(const QString& returned, const QString& sql);

} // namespace PgBackend
