#include "data/PgBackend.h"

#include "data/DataError.h"
#include "data/PgConnection.h"
#include "data/SchemaCheck.h"

#include <QRegularExpression>

#include <libpq-fe.h>

#include <map>
#include <optional>

namespace PgBackend {
namespace {

using Kind = DataError::Kind;

// Type identities of the server's built-in types (fixed in its catalog).
enum : Oid
{
    boolOid = 16,
    int8Oid = 20,
    int2Oid = 21,
    int4Oid = 23,
    textOid = 25,
    oidOid = 26,
    float4Oid = 700,
    float8Oid = 701,
    bpcharOid = 1042,
    varcharOid = 1043,
    numericOid = 1700,
};

const QString& doingList()
{
    static const QString doing = QStringLiteral("Cannot read the list of tables");
    return doing;
}

using SchemaCheck::requiredColumns;

QString quote(const QString& identifier)
{
    return SqlBackend::quoteIdentifier(identifier);
}

using TableInfo = PgTableInfo;

std::optional<TableInfo> findTable(PgConnection& connection, const QString& name)
{
    // An exact match wins over one that differs in case only (a table made with a quoted name).
    const PgResult r = connection.exec(
        QStringLiteral(
            "SELECT c.relname, c.relkind IN ('r', 'p'), "
            "(SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
            "AND a.attnum = i.indkey[0] WHERE i.indrelid = c.oid AND i.indisunique AND i.indnatts = 1 "
            "AND i.indpred IS NULL AND a.atttypid IN (20, 21, 23) ORDER BY i.indisprimary DESC LIMIT 1), "
            "EXISTS (SELECT 1 FROM pg_index i WHERE i.indrelid = c.oid AND i.indisprimary AND i.indnatts = 1), "
            "(SELECT string_agg(a.attname, ',' ORDER BY a.attnum) FROM pg_attribute a "
            "WHERE a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped), "
            "(SELECT string_agg(a.attname, ',') FROM pg_attribute a WHERE a.attrelid = c.oid AND a.attnum > 0 "
            "AND a.attidentity <> ''), "
            "(SELECT string_agg(quote_ident(a.attname) || ' SET DEFAULT ' || pg_get_expr(d.adbin, d.adrelid), "
            "chr(30)) FROM pg_attrdef d JOIN pg_attribute a ON a.attrelid = d.adrelid AND a.attnum = d.adnum "
            "WHERE d.adrelid = c.oid), "
            "(SELECT string_agg(a.attname, ',') FROM pg_attribute a WHERE a.attrelid = c.oid AND a.attnum > 0 "
            "AND a.attnotnull AND NOT a.attisdropped) "
            "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p', 'v', 'm') "
            "AND lower(c.relname) = lower($1) ORDER BY c.relname = $1 DESC LIMIT 1"),
        {name}, doingList(), true);
    if (r.rows() == 0)
        return std::nullopt;
    TableInfo info;
    info.name = r.text(0, 0);
    info.isTable = r.text(0, 1) == QLatin1String("t");
    info.key = r.text(0, 2);
    info.keyIsPrimary = r.text(0, 3) == QLatin1String("t") && !info.key.isEmpty();
    info.columns = r.text(0, 4).split(u',', Qt::SkipEmptyParts);
    info.identity = r.text(0, 5).split(u',', Qt::SkipEmptyParts);
    info.generated = info.identity;
    info.defaults = r.text(0, 6).split(QChar(30), Qt::SkipEmptyParts);
    info.notNull = r.text(0, 7).split(u',', Qt::SkipEmptyParts);
    if (info.keyIsPrimary)
        info.generated << info.key;
    return info;
}

void forgetTable(PgConnection& connection, const QString& name)
{
    connection.knownTables().erase(name.toLower());
}

// A copy: a reconnect during the caller's statements forgets what the connection knew.
TableInfo requireTable(PgConnection& connection, const QString& name, const QString& doing)
{
    connection.handle(); // reconnects first, so the session is current
    std::map<QString, TableInfo>& known = connection.knownTables();
    const QString key = name.toLower();
    auto it = known.find(key);
    if (it != known.end())
        return it->second;
    std::optional<TableInfo> info = findTable(connection, name);
    if (!info)
        throw DataError(doing + QStringLiteral(": no such table"), Kind::Schema);
    return known.emplace(key, std::move(*info)).first->second;
}

// The server's name of the column the program calls `name`.
QString serverColumn(const TableInfo& info, const QString& name, const QString& doing)
{
    for (const QString& c : info.columns)
        if (c.compare(name, Qt::CaseInsensitive) == 0)
            return quote(c);
    throw DataError(doing + QStringLiteral(": table '%1' has no column '%2'").arg(info.name, name), Kind::Schema);
}

// A row's identity as a number: the key's value, or for a table without a key the physical position (block and
// item), which a post moves; the post hands back the new one.
QString identityExpression(const TableInfo& info)
{
    if (!info.key.isEmpty())
        return quote(info.key) + QStringLiteral("::bigint");
    return QStringLiteral("(((ctid::text::point)[0])::bigint * 65536 + ((ctid::text::point)[1])::bigint)");
}

QString identityCondition(const TableInfo& info, int param)
{
    if (!info.key.isEmpty())
        return QStringLiteral("%1 = $%2").arg(quote(info.key)).arg(param);
    return QStringLiteral("ctid = $%1::tid").arg(param);
}

QVariant identityParameter(const TableInfo& info, qint64 rowId)
{
    if (!info.key.isEmpty())
        return QVariant(rowId);
    return QVariant(QStringLiteral("(%1,%2)").arg(rowId / 65536).arg(rowId % 65536));
}

FieldType typeOf(Oid type, int modifier, int* size)
{
    *size = 0;
    switch (type) {
    case boolOid:
        return FieldType::Boolean;
    case int2Oid:
    case int4Oid:
    case int8Oid:
    case oidOid:
        return FieldType::Integer;
    case float4Oid:
    case float8Oid:
    case numericOid:
        return FieldType::Double;
    case varcharOid:
    case bpcharOid:
        *size = modifier >= 4 ? modifier - 4 : 0;
        return FieldType::Text;
    case textOid:
        return FieldType::Text;
    default:
        return FieldType::Unknown;
    }
}

// The value of one cell in the text form the server sends, as the field's kind.
QVariant cellValue(const PgResult& r, int row, int col, FieldType type)
{
    if (r.isNull(row, col))
        return QVariant();
    switch (type) {
    case FieldType::Boolean:
        return QVariant(r.raw(row, col)[0] == 't');
    case FieldType::Integer:
        return QVariant(qlonglong(r.integer(row, col)));
    case FieldType::Double:
        return QVariant(QByteArray::fromRawData(r.raw(row, col), r.length(row, col)).toDouble());
    default:
        return QVariant(r.text(row, col));
    }
}

// The column that keeps the order rows were entered in, as a file's hidden rowid does: the server returns rows
// in no set order, and the profiles list in the order of registration. Like the file's rowid it reaches the
// program only when a query names it.
const QString& entryOrderColumn()
{
    static const QString name = QStringLiteral("rowid");
    return name;
}

bool namesEntryOrder(const QString& sql)
{
    static const QRegularExpression word(QStringLiteral("\\browid\\b"), QRegularExpression::CaseInsensitiveOption);
    return word.match(sql).hasMatch();
}

// Every row of `r`; the first `skip` columns are the row identity (0 or 1 of them).
SqlBackend::ReadResult readAll(const PgResult& r, int skip, const QString& sql)
{
    SqlBackend::ReadResult out;
    const bool showEntryOrder = namesEntryOrder(sql);
    std::vector<int> shown; // the result's columns that become fields
    std::vector<FieldType> types;
    for (int sc = skip; sc < r.columns(); ++sc) {
        const QString returned = QString::fromUtf8(PQfname(r.get(), sc));
        if (!showEntryOrder && returned == entryOrderColumn())
            continue;
        FieldDef f;
        f.name = programSpelling(returned, sql);
        f.type = typeOf(PQftype(r.get(), sc), PQfmod(r.get(), sc), &f.size);
        out.fields.push_back(f);
        types.push_back(f.type);
        shown.push_back(sc);
    }
    const int cols = int(shown.size());
    out.store.reset(types);
    const int rows = r.rows();
    out.store.reserve(size_t(rows));
    if (skip)
        out.rowIds.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        if (skip)
            out.rowIds.push_back(r.integer(row, 0));
        for (int c = 0; c < cols; ++c) {
            const int sc = shown[size_t(c)];
            if (r.isNull(row, sc)) {
                out.store.appendNull(c);
                continue;
            }
            switch (types[size_t(c)]) {
            case FieldType::Boolean:
                out.store.appendInt(c, r.raw(row, sc)[0] == 't' ? 1 : 0);
                break;
            case FieldType::Integer:
                out.store.appendInt(c, r.integer(row, sc));
                break;
            case FieldType::Double:
                out.store.appendDouble(c, QByteArray::fromRawData(r.raw(row, sc), r.length(row, sc)).toDouble());
                break;
            default:
                out.store.appendUtf8(c, r.raw(row, sc), r.length(row, sc));
                break;
            }
        }
        out.store.endRow();
    }
    return out;
}

// ---- division as the file's engine does it ----------------------------------------------------------------------

// Where the quoted text, comment or balanced parenthesis starting at `at` ends (one past it), or -1 when `at`
// starts none of those.
qsizetype skipEnclosed(const QString& sql, qsizetype at)
{
    const QChar c = sql[at];
    if (c == u'\'' || c == u'"') {
        // A doubled quote inside stands for the quote itself and does not end the text.
        for (qsizetype i = at + 1; i < sql.size(); ++i)
            if (sql[i] == c) {
                if (i + 1 < sql.size() && sql[i + 1] == c)
                    ++i;
                else
                    return i + 1;
            }
        return sql.size();
    }
    if (c == u'-' && sql.mid(at, 2) == QLatin1String("--")) {
        const qsizetype end = sql.indexOf(u'\n', at);
        return end < 0 ? sql.size() : end + 1;
    }
    if (c == u'/' && sql.mid(at, 2) == QLatin1String("/*")) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), at + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    if (c == u'(') {
        int depth = 0;
        for (qsizetype i = at; i < sql.size();) {
            if (sql[i] == u'(')
                ++depth;
            else if (sql[i] == u')' && --depth == 0)
                return i + 1;
            const qsizetype skipped = sql[i] == u'(' || sql[i] == u')' ? -1 : skipEnclosed(sql, i);
            i = skipped > i ? skipped : i + 1;
        }
        return sql.size();
    }
    return -1;
}

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'$';
}

// The end of the operand that starts at `at` (after blanks and signs): a parenthesised expression, a quoted name,
// or a name or number, with the argument list of a function call; `at` itself when there is none.
qsizetype operandEnd(const QString& sql, qsizetype at)
{
    qsizetype i = at;
    while (i < sql.size() && (sql[i].isSpace() || sql[i] == u'+' || sql[i] == u'-'))
        ++i;
    if (i >= sql.size())
        return at;
    if (sql[i] == u'(' || sql[i] == u'"')
        return skipEnclosed(sql, i);
    const qsizetype nameStart = i;
    while (i < sql.size() && isNameCharacter(sql[i]))
        ++i;
    // A CASE expression runs to its END; it is left as written.
    if (i == nameStart || sql.mid(nameStart, i - nameStart).compare(QLatin1String("CASE"), Qt::CaseInsensitive) == 0)
        return at;
    qsizetype afterBlanks = i;
    while (afterBlanks < sql.size() && sql[afterBlanks].isSpace())
        ++afterBlanks;
    if (afterBlanks < sql.size() && sql[afterBlanks] == u'(' && !sql[nameStart].isDigit())
        return skipEnclosed(sql, afterBlanks);
    return i;
}

} // namespace

QString withFileDivision(const QString& sql)
{
    QString out;
    out.reserve(sql.size());
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql[i];
        const bool comment = c == u'/' && sql.mid(i, 2) == QLatin1String("/*");
        if ((c == u'/' || c == u'%') && !comment) {
            const qsizetype end = operandEnd(sql, i + 1);
            if (end > i + 1) {
                // NULLIF makes a zero divisor empty, and x / NULL is NULL as in the file.
                out += c + QStringLiteral(" NULLIF(") + withFileDivision(sql.mid(i + 1, end - i - 1).trimmed()) +
                       QStringLiteral(", 0)");
                i = end;
                continue;
            }
        }
        const qsizetype enclosedEnd = c == u'(' ? -1 : skipEnclosed(sql, i);
        const qsizetype next = enclosedEnd > i ? enclosedEnd : i + 1;
        out += sql.mid(i, next - i);
        i = next;
    }
    return out;
}

namespace {

// Runs a read. Inside a unit of work a read that fails undoes only itself, as on the file: the server would
// otherwise give up the whole unit, also when the caller copes with the failure (a dataset read again after an
// inner unit was undone finds its table gone with that unit and stays closed; the outer unit goes on).
PgResult readStatement(PgConnection& connection, const QString& sql, const QVariantList& params, const QString& doing,
                       bool kept = false)
{
    if (!connection.inTransaction())
        return connection.exec(sql, params, doing, kept);
    connection.execScript(QStringLiteral("SAVEPOINT ravlen_read"), doing);
    try {
        PgResult r = connection.exec(sql, params, doing, kept);
        connection.execScript(QStringLiteral("RELEASE SAVEPOINT ravlen_read"), doing);
        return r;
    } catch (...) {
        try {
            connection.execScript(QStringLiteral("ROLLBACK TO SAVEPOINT ravlen_read; RELEASE SAVEPOINT ravlen_read"),
                                  doing);
        } catch (const DataError&) {
            // The connection is gone: the error of the read itself is the one to report.
        }
        throw;
    }
}

// The table copy written as "SELECT * INTO <new> FROM <table> [WHERE <condition>]"; no match otherwise.
std::optional<std::pair<QString, QString>> tableCopy(const QString& sql)
{
    static const QRegularExpression selectInto(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+INTO\s+([A-Za-z_][A-Za-z0-9_]*)\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = selectInto.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    return std::make_pair(m.captured(1), m.captured(2));
}

// The server copies rows and column types, nothing else. The copy then gets what the source declares, as the
// file's copy does: its primary key (the questionnaire posts by Row), the numbering of that key continuing after
// the copied rows, the defaults (a new row starts unanswered) and the columns that refuse empty values. Its name
// is written unquoted as in the copy statement and its columns carry the source's names, so registration needs
// no look at the catalog: it costs the bare statements, one more round trip and a savepoint.
QString copyDeclarations(const TableInfo& source, const QString& target)
{
    QStringList alterations;
    if (source.keyIsPrimary)
        alterations << QStringLiteral("ADD PRIMARY KEY (%1)").arg(quote(source.key));
    for (const QString& column : source.notNull)
        if (!(source.keyIsPrimary && column == source.key))
            alterations << QStringLiteral("ALTER COLUMN %1 SET NOT NULL").arg(quote(column));
    for (const QString& setDefault : source.defaults)
        alterations << QStringLiteral("ALTER COLUMN ") + setDefault;
    QStringList script;
    if (!alterations.isEmpty())
        script << QStringLiteral("ALTER TABLE %1 %2").arg(target, alterations.join(QLatin1String(", ")));
    for (const QString& column : source.identity)
        script << QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 ADD GENERATED BY DEFAULT AS IDENTITY")
                      .arg(target, quote(column))
               << QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), coalesce(max(%3), 0) + 1, false) "
                                 "FROM %1")
                      .arg(target, column, quote(column));
    return script.join(QLatin1String(";\n"));
}

int copyTable(PgConnection& connection, const QString& sql, const std::pair<QString, QString>& names,
              bool singleStatement)
{
    const QString doing = QStringLiteral("Cannot copy table '%1' into '%2'").arg(names.second, names.first);
    const QString declarations = copyDeclarations(requireTable(connection, names.second, doing), names.first);
    forgetTable(connection, names.first);
    int copied = 0;
    connection.inTransaction(doing, [&] {
        copied = singleStatement ? connection.exec(sql, {}, doing).changed() : connection.execScript(sql, doing);
        if (!declarations.isEmpty())
            connection.execScript(declarations, doing);
    });
    return copied;
}

} // namespace

QString programSpelling(const QString& returned, const QString& sql)
{
    if (!sql.isEmpty()) {
        const QRegularExpression word(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(returned)),
                                      QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = word.match(sql);
        if (m.hasMatch())
            return m.captured(0);
    }
    for (const auto& [table, columns] : requiredColumns()) {
        if (table.compare(returned, Qt::CaseInsensitive) == 0)
            return table;
        for (const QString& c : columns)
            if (c.compare(returned, Qt::CaseInsensitive) == 0)
                return c;
    }
    return returned;
}

QStringList schemaStatements()
{
    auto text = [](const char* name, int size, bool persian = true) {
        return QStringLiteral("%1 varchar(%2)%3")
            .arg(QLatin1String(name))
            .arg(size)
            .arg(persian ? QStringLiteral(" COLLATE persian") : QString());
    };
    auto byte = [](const char* name) {
        return QStringLiteral("%1 smallint CHECK (%1 BETWEEN 0 AND 255)").arg(QLatin1String(name));
    };
    auto flag = [](const char* name) { return QStringLiteral("%1 boolean NOT NULL DEFAULT false").arg(QLatin1String(name)); };
    auto real = [](const char* name) { return QStringLiteral("%1 double precision DEFAULT 0").arg(QLatin1String(name)); };
    const QStringList profiles{
        QStringLiteral("FileNo integer CONSTRAINT ProfilesFileNo UNIQUE"),
        text("Date", 10, false),
        text("FName", 255),
        text("LName", 255),
        byte("Age"),
        byte("Gender"),
        byte("Grade"),
        text("QTable", 15, false),
        flag("Completed"),
        // Last, so that a row written without column names fills the same columns as in the file.
        QStringLiteral("%1 bigint GENERATED BY DEFAULT AS IDENTITY").arg(entryOrderColumn()),
    };
    const QStringList questions{
        QStringLiteral("Row integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"),
        text("Group1", 255),
        text("Group2", 255),
        flag("Scoring"),
        text("Question", 255),
        real("Answer"),
        real("Score"),
    };
    return {
        // Persian alphabetical order for the texts the design's queries sort and group.
        QStringLiteral("CREATE COLLATION IF NOT EXISTS persian (provider = icu, locale = 'fa-IR')"),
        // The score queries round a double to two places, which the server offers for numeric only.
        QStringLiteral("CREATE OR REPLACE FUNCTION round(double precision, integer) RETURNS double precision "
                       "LANGUAGE sql IMMUTABLE STRICT AS 'SELECT round($1::numeric, $2)::double precision'"),
        QStringLiteral("CREATE TABLE Profiles (\n    %1\n)").arg(profiles.join(QLatin1String(",\n    "))),
        QStringLiteral("CREATE TABLE Questions (\n    %1\n)").arg(questions.join(QLatin1String(",\n    "))),
    };
}

void createSchema(PgConnection& connection)
{
    const QString doing = QStringLiteral("Cannot create the tables on %1").arg(connection.describe());
    const PgResult r = connection.exec(QStringLiteral("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON "
                                                      "n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                                                      "AND c.relkind IN ('r', 'p', 'v', 'm', 'f')"),
                                       {}, doing);
    if (r.integer(0, 0) != 0)
        throw DataError(doing + QStringLiteral(": the database is not empty (it holds %1 tables or views)")
                                    .arg(r.integer(0, 0)),
                        DataError::Kind::ServerNotEmpty, connection.uri());
    connection.inTransaction(doing, [&] {
        for (const QString& sql : schemaStatements())
            connection.exec(sql, {}, doing);
    });
}

void checkSchema(PgConnection& connection)
{
    const QString doing = QStringLiteral("Cannot use database %1").arg(connection.describe());
    const PgResult triggers = connection.exec(
        QStringLiteral("SELECT t.tgname, c.relname FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
                       "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE NOT t.tgisinternal "
                       "AND n.nspname = current_schema() ORDER BY 1 LIMIT 1"),
        {}, doing);
    if (triggers.rows() > 0)
        throw DataError(doing + QStringLiteral(": it holds trigger '%1' on table '%2'; a Ravlen database holds no "
                                               "triggers")
                                    .arg(triggers.text(0, 0), triggers.text(0, 1)),
                        Kind::Schema);
    for (const auto& [table, columns] : requiredColumns()) {
        const std::optional<TableInfo> info = findTable(connection, table);
        if (!info || !info->isTable)
            throw DataError(doing + QStringLiteral(": it has no table '%1', so it is not a Ravlen database").arg(table),
                            Kind::Schema);
        QStringList missing;
        for (const QString& column : columns)
            if (!info->columns.contains(column, Qt::CaseInsensitive))
                missing << column;
        if (!missing.isEmpty())
            throw DataError(doing + QStringLiteral(": table '%1' lacks the column(s) %2").arg(table, missing.join(u',')),
                            Kind::Schema);
    }
}

void openChecked(PgConnection& connection)
{
    connection.open();
    try {
        checkSchema(connection);
    } catch (...) {
        connection.close();
        throw;
    }
}

QStringList tableNames(PgConnection& connection)
{
    const PgResult r = connection.exec(QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON "
                                                      "n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                                                      "AND c.relkind IN ('r', 'p', 'v', 'm') ORDER BY 1"),
                                       {}, doingList());
    QStringList names;
    for (int row = 0; row < r.rows(); ++row)
        names << programSpelling(r.text(row, 0), QString());
    return names;
}

bool tableExists(PgConnection& connection, const QString& name)
{
    const PgResult r = connection.exec(QStringLiteral("SELECT 1 FROM pg_class c JOIN pg_namespace n ON "
                                                      "n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                                                      "AND c.relkind IN ('r', 'p', 'v', 'm') "
                                                      "AND lower(c.relname) = lower($1)"),
                                       {name}, doingList(), true);
    return r.rows() > 0;
}

SqlBackend::ReadResult readTable(PgConnection& connection, const QString& table, bool tablesOnly)
{
    const QString doing = QStringLiteral("Cannot open table '%1'").arg(table);
    const TableInfo& info = requireTable(connection, table, doing);
    if (tablesOnly && !info.isTable)
        throw DataError(doing + QStringLiteral(": it is a view, not a table"), Kind::BadTableName);
    // The server hands rows back in no set order (an updated row moves to the end of its table); the items
    // must come in Row order and every opening in the same order, so tables are read in the order their rows
    // were entered where the table keeps it (the profiles, as the file lists them), else in their key's order.
    const QString order = info.columns.contains(entryOrderColumn()) ? quote(entryOrderColumn()) : QStringLiteral("1");
    const QString sql =
        info.isTable
            ? QStringLiteral("SELECT %1, * FROM %2 ORDER BY %3").arg(identityExpression(info), quote(info.name), order)
            : QStringLiteral("SELECT * FROM %1").arg(quote(info.name));
    SqlBackend::ReadResult r = readAll(readStatement(connection, sql, {}, doing), info.isTable ? 1 : 0, QString());
    for (FieldDef& f : r.fields)
        f.readOnly = !info.isTable || info.generated.contains(f.name, Qt::CaseInsensitive);
    return r;
}

SqlBackend::ReadResult readQuery(PgConnection& connection, const QString& sql, bool rowByRow)
{
    const QString doing = QStringLiteral("Cannot open query \"%1\"").arg(sql.simplified());
    SqlBackend::ReadResult r = readAll(readStatement(connection, withFileDivision(sql), {}, doing), 0, sql);
    for (FieldDef& f : r.fields)
        f.readOnly = true;
    if (!rowByRow)
        return r;
    r.values.reserve(size_t(r.store.rowCount()) * r.fields.size());
    for (int row = 0; row < r.store.rowCount(); ++row)
        for (int c = 0; c < r.store.columnCount(); ++c)
            r.values.push_back(r.store.value(row, c));
    return r;
}

bool readRow(PgConnection& connection, const QString& table, const std::vector<FieldDef>& fields, qint64 rowId,
             std::vector<QVariant>& out)
{
    const QString doing = QStringLiteral("Cannot read back a row of table '%1'").arg(table);
    const TableInfo& info = requireTable(connection, table, doing);
    QStringList cols;
    for (const FieldDef& f : fields)
        if (!f.calculated)
            cols << serverColumn(info, f.name, doing);
    const PgResult r = readStatement(connection,
                                     QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                         .arg(cols.join(u','), quote(info.name), identityCondition(info, 1)),
                                     {identityParameter(info, rowId)}, doing, true);
    if (r.rows() == 0)
        return false;
    out.clear();
    int c = 0;
    for (const FieldDef& f : fields)
        if (!f.calculated)
            out.push_back(cellValue(r, 0, c++, f.type));
    return true;
}

qint64 updateRow(PgConnection& connection, const QString& table, qint64 rowId, const QStringList& columns,
                 const QVariantList& newValues, const QVariantList& originalValues)
{
    if (columns.isEmpty())
        return rowId;
    const QString doing = QStringLiteral("Cannot post a row of table '%1'").arg(table);
    const TableInfo& info = requireTable(connection, table, doing);
    QStringList sets;
    QStringList checks;
    QVariantList params = newValues;
    int p = 1;
    for (const QString& c : columns)
        sets << QStringLiteral("%1 = $%2").arg(serverColumn(info, c, doing)).arg(p++);
    const int idParam = p++;
    params << identityParameter(info, rowId);
    // The row is written only while every changed column still holds what this program read: another
    // workstation's change in between is reported, not overwritten.
    for (const QString& c : columns)
        checks << QStringLiteral("%1 IS NOT DISTINCT FROM $%2").arg(serverColumn(info, c, doing)).arg(p++);
    params += originalValues;
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 AND %4 RETURNING %5")
                            .arg(quote(info.name), sets.join(QLatin1String(", ")), identityCondition(info, idParam),
                                 checks.join(QLatin1String(" AND ")), identityExpression(info));
    const PgResult r = connection.exec(sql, params, doing, true);
    if (r.rows() != 1)
        throw DataError(doing + QStringLiteral(": the row was changed or deleted by another user since it was read"),
                        Kind::Conflict);
    return r.integer(0, 0);
}

qint64 insertRow(PgConnection& connection, const QString& table, const QStringList& columns,
                 const QVariantList& values)
{
    const QString doing = QStringLiteral("Cannot insert a row into table '%1'").arg(table);
    const TableInfo& info = requireTable(connection, table, doing);
    QStringList cols;
    QStringList params;
    for (int i = 0; i < columns.size(); ++i) {
        cols << serverColumn(info, columns[i], doing);
        params << QStringLiteral("$%1").arg(i + 1);
    }
    const PgResult r = connection.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                                           .arg(quote(info.name), cols.join(u','), params.join(u','),
                                                identityExpression(info)),
                                       values, doing, true);
    return r.integer(0, 0);
}

int execute(PgConnection& connection, const QString& sql)
{
    if (const auto copy = tableCopy(sql))
        return copyTable(connection, withFileDivision(sql), *copy, false);
    return connection.execScript(withFileDivision(sql), QStringLiteral("Cannot execute \"%1\"").arg(sql.simplified()));
}

int executeStatement(PgConnection& connection, const QString& sql)
{
    if (const auto copy = tableCopy(sql))
        return copyTable(connection, withFileDivision(sql), *copy, true);
    return connection.exec(withFileDivision(sql), {}, QStringLiteral("Cannot execute \"%1\"").arg(sql.simplified()))
        .changed();
}

void inTransaction(PgConnection& connection, const QString& doing, const std::function<void()>& work)
{
    connection.inTransaction(doing, work);
}

} // namespace PgBackend
