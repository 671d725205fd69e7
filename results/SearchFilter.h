#pragma once

#include "calendar/ShDateUtils.h"

#include <QMetaType>
#include <QString>

#include <optional>

// The search window's criteria as the filter reads them. The numeric boxes give both their value (which decides
// whether a clause is taken) and their text (which goes into the clause unchanged).
struct SearchCriteria
{
    qint64 fileNo = 0;
    QString fileNoText;
    std::optional<TDateTime> date; // empty while the date picker holds no date
    QString firstName;             // as typed, blanks kept
    QString lastName;
    qint64 age = 0;
    QString ageText;
    int genderIndex = 0; // list index; 0 is "all"
    int gradeIndex = 0;
};

Q_DECLARE_METATYPE(SearchCriteria)

// The profiles filter for the criteria: one parenthesised clause per criterion that is set, in the order file
// number, date, first name, surname, age, gender, grade, joined by " And "; empty when nothing is set.
QString SearchFilterText(const SearchCriteria& criteria);

// A text as a quoted filter value: between single quotes, a quote inside doubled so that a name such as O'Brien
// reads back as itself instead of ending the value early.
QString QuotedFilterValue(const QString& text);
