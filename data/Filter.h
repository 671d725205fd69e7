#pragma once

#include "data/Field.h"
#include "data/FieldValue.h"

#include <QString>
#include <QVariant>

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
