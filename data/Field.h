#pragma once

#include <QMetaType>
#include <QString>

enum class FieldType
{
    Integer,
    Boolean,
    Double,
    Text,
    Unknown
};

// A column of a dataset as the windows see it: stored fields first, in column order, then calculated ones.
struct FieldDef
{
    QString name;
    FieldType type = FieldType::Unknown;
    int size = 0; // characters, for texts; 0 when not limited
    bool calculated = false;
    bool readOnly = false;
};

// Whether a value of this Qt type is a whole number (stored and compared as a 64-bit integer).
inline bool isIntegralMetaType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}
