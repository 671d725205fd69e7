#include "data/SchemaCheck.h"

#include "data/DataError.h"
#include "data/SqlBackend.h"

#include <utility>
#include <vector>

namespace SchemaCheck {

// A file lacking one of these fails later, in the middle of a test.
const std::vector<std::pair<QString, QStringList>>& requiredColumns()
{
    static const std::vector<std::pair<QString, QStringList>> tables{
        {QStringLiteral("Profiles"),
         {QStringLiteral("FileNo"), QStringLiteral("Date"), QStringLiteral("FName"), QStringLiteral("LName"),
          QStringLiteral("Age"), QStringLiteral("Gender"), QStringLiteral("Grade"), QStringLiteral("QTable"),
          QStringLiteral("Completed")}},
        {QStringLiteral("Questions"),
         {QStringLiteral("Row"), QStringLiteral("Group1"), QStringLiteral("Group2"), QStringLiteral("Scoring"),
          QStringLiteral("Question"), QStringLiteral("Answer"), QStringLiteral("Score")}},
    };
    return tables;
}

namespace {

// The first column of every row, as text.
QStringList column(const QSqlDatabase& db, const QString& sql)
{
    const SqlBackend::ReadResult result = SqlBackend::readQuery(db, sql, false);
    QStringList values;
    for (int row = 0; row < result.store.rowCount(); ++row)
        values.append(result.store.value(row, 0).toString());
    return values;
}

QString literal(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

} // namespace

QStringList problems(const QSqlDatabase& db)
{
    QStringList found;
    for (const auto& [table, columns] : requiredColumns()) {
        if (column(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = %1 COLLATE "
                                      "NOCASE")
                           .arg(literal(table)))
                .isEmpty()) {
            found.append(QStringLiteral("it has no %1 table").arg(table));
            continue;
        }
        const QStringList present =
            column(db, QStringLiteral("SELECT name FROM pragma_table_info(%1)").arg(literal(table)));
        for (const QString& wanted : columns)
            if (!present.contains(wanted, Qt::CaseInsensitive))
                found.append(QStringLiteral("its %1 table has no %2 column").arg(table, wanted));
    }
    const SqlBackend::ReadResult triggers = SqlBackend::readQuery(
        db, QStringLiteral("SELECT name, tbl_name FROM sqlite_master WHERE type = 'trigger' ORDER BY name"), false);
    for (int row = 0; row < triggers.store.rowCount(); ++row)
        found.append(QStringLiteral("it holds the trigger '%1' on table '%2', which would run hidden statements "
                                    "whenever the program writes")
                         .arg(triggers.store.value(row, 0).toString(), triggers.store.value(row, 1).toString()));
    return found;
}

void require(const QSqlDatabase& db, const QString& fileName)
{
    const QStringList found = problems(db);
    if (!found.isEmpty())
        throw DataError(QStringLiteral("Cannot use database file '%1': %2; it is not a Ravlen database, or one "
                                       "that was tampered with")
                            .arg(fileName, found.first()),
                        DataError::Kind::Schema);
}

} // namespace SchemaCheck
