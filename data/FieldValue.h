#pragma once

#include "data/Field.h"

#include <QString>
#include <QVariant>

#include <optional>

// One field's value in the current row, readable as the kind the caller needs. An empty value reads 0, false or
// an empty text.
class FieldValue
{
public:
    FieldValue(QVariant value, FieldType type) : m_value(std::move(value)), m_type(type) {}
    const QVariant& value() const { return m_value; }
    bool isNull() const { return m_value.isNull(); }
    int asInteger() const;
    double asFloat() const;
    bool asBoolean() const;
    QString asString() const;
    FieldType type() const { return m_type; }

private:
    QVariant m_value;
    FieldType m_type;
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
