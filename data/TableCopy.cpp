#include "data/TableCopy.h"

#include "data/SqlBackend.h"
#include "data/SqliteStatement.h"

#include <QRegularExpression>
#include <QSqlDatabase>

namespace SqlBackend {

using namespace Sqlite;

std::optional<QRegularExpressionMatch> matchTableCopy(const QString& sql)
{
    static const QRegularExpression selectInto(
        QStringLiteral(R"(^\s*SELECT\s+\*\s+INTO\s+([A-Za-z_][A-Za-z0-9_]*)\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*))"
                       R"((?:\s+WHERE\s+(.*?))?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QRegularExpressionMatch m = selectInto.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    return m;
}

int copyTable(const QSqlDatabase& db, const QRegularExpressionMatch& m)
{
    sqlite3* h = handleOf(db);
    const QString target = m.captured(1);
    const QString source = m.captured(2);
    const QString where = m.captured(3);
    const QString doing = QStringLiteral("Cannot copy table '%1' into '%2'").arg(source, target);
    int copied = 0;
    inTransaction(db, doing, [&] {
        QString definition;
        {
            Statement st(h,
                         QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                                        "COLLATE NOCASE"),
                         doing);
            st.bind(1, source);
            if (st.step(doing))
                definition = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        }
        const int open = definition.indexOf(QLatin1Char('('));
        if (open > 0) {
            runSingleStatement(
                h, QStringLiteral("CREATE TABLE %1 %2").arg(quoteIdentifier(target), definition.mid(open)), doing);
        } else {
            runSingleStatement(h,
                               QStringLiteral("CREATE TABLE %1 AS SELECT * FROM %2 WHERE 0")
                                   .arg(quoteIdentifier(target), quoteIdentifier(source)),
                               doing);
        }
        QString insert =
            QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(quoteIdentifier(target), quoteIdentifier(source));
        if (!where.isEmpty())
            insert += QStringLiteral(" WHERE ") + where;
        copied = runSingleStatement(h, insert, doing);
    });
    return copied;
}

} // namespace SqlBackend
