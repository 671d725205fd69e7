#pragma once

#include "data/Field.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

// A dataset filter: comparisons of a field with a value (=, <>, <, <=, >, >=), each optionally in parentheses,
// joined by And (any letter case). Field names match in any case; texts go in single quotes, a doubled quote
// standing for one; numbers are bare. An empty text selects every row.
class FilterExpression
{
public:
    enum class Op
    {
        Equal,
        NotEqual,
        Less,
        LessEqual,
        Greater,
        GreaterEqual
    };

    struct Condition
    {
        int field = -1;
        FieldType type = FieldType::Unknown;
        Op op = Op::Equal;
        QVariant value; // already converted to the field's kind
    };

    // Parses `text` against the dataset's fields; throws DataError naming the text and the fault.
    static FilterExpression parse(const QString& text, const std::vector<FieldDef>& fields);

    bool isEmpty() const { return m_conditions.empty(); }
    const std::vector<Condition>& conditions() const { return m_conditions; }

    // Whether a comparison's result (<0, 0, >0 of the row's value against the condition's) satisfies its
    // operator. A comparison with an empty value is false whatever the operator.
    static bool holds(Op op, int order);

private:
    std::vector<Condition> m_conditions;
};

// Order of two values of one field: numbers by value, texts in Persian order, empty values first.
int compareFieldValues(const QVariant& a, const QVariant& b, FieldType type);

// Whether two values of one field are equal; the same as compareFieldValues(...) == 0, only faster for texts.
bool equalFieldValues(const QVariant& a, const QVariant& b, FieldType type);

// Whether `v` is the floating-point value "not a number" (a filter or look-up value typed as 'nan'). It equals no
// number and is neither above nor below one.
bool isNotANumber(const QVariant& v);

// Converts a value to the kind a field holds; nothing when it cannot be read that way.
std::optional<QVariant> toFieldValue(const QVariant& v, FieldType type);
