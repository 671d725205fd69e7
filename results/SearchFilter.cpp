#include "results/SearchFilter.h"

#include "data/ZarkU.h"

namespace {

// Appends a clause, with " And " before it when the text already holds one.
void appendClause(QString& filter, const QString& clause)
{
    filter += IfThenVar(filter.length() > 0, QStringLiteral(" And "), QString());
    filter += clause;
}

// A name is a criterion only when it holds more than blanks; it then goes in as typed.
void appendNameClause(QString& filter, const QString& field, const QString& name)
{
    if (!name.trimmed().isEmpty())
        appendClause(filter, QStringLiteral("(%1=%2)").arg(field, QuotedFilterValue(name)));
}

// The lists' first item stands for every value; the others are the codes from 0 on.
void appendCodeClause(QString& filter, const QString& field, int listIndex)
{
    if (listIndex > 0)
        appendClause(filter, QStringLiteral("(%1=%2)").arg(field).arg(listIndex - 1));
}

} // namespace

QString QuotedFilterValue(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString SearchFilterText(const SearchCriteria& criteria)
{
    QString filter;
    // The file number, when given, always comes first, so it needs no joining word.
    if (criteria.fileNo > 0)
        filter = QStringLiteral("(Fileno=") + criteria.fileNoText + QLatin1Char(')');
    // The same date text registration stores, so the clause matches the stored value character for character.
    if (criteria.date)
        appendClause(filter,
                     QStringLiteral("(Date=") + QuotedFilterValue(ShDateToStr(*criteria.date)) + QLatin1Char(')'));
    appendNameClause(filter, QStringLiteral("FName"), criteria.firstName);
    appendNameClause(filter, QStringLiteral("LName"), criteria.lastName);
    if (criteria.age > 0)
        appendClause(filter, QStringLiteral("(Age=") + criteria.ageText + QLatin1Char(')'));
    appendCodeClause(filter, QStringLiteral("Gender"), criteria.genderIndex);
    appendCodeClause(filter, QStringLiteral("Grade"), criteria.gradeIndex);
    return filter;
}
