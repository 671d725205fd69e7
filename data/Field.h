#pragma once

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
