#pragma once

#include "data/Field.h"

#include <QString>
#include <QStringView>
#include <QVariant>

#include <vector>

// The rows of an open dataset, kept column by column in the field's own kind (whole numbers, doubles, texts),
// which takes less than half the memory of one QVariant per value and reads faster. The engine does not enforce
// column kinds, so a column that meets a value of another kind falls back to holding QVariants.
class ColumnStore
{
public:
    void reset(const std::vector<FieldType>& types);
    void reserve(size_t rows);
    void clear();

    int rowCount() const { return m_rows; }
    int columnCount() const { return int(m_cols.size()); }

    // Appending a row: one call per column, in column order, then endRow().
    void appendNull(int col);
    void appendInt(int col, qint64 v);
    void appendDouble(int col, double v);
    void appendText(int col, QString&& v);
    void appendUtf8(int col, const char* data, int size);
    void appendVariant(int col, const QVariant& v);
    void endRow() { ++m_rows; }
    // Takes back the last row appended.
    void removeLastRow();

    QVariant value(int row, int col) const;
    bool isNull(int row, int col) const { return m_cols[size_t(col)].nulls[size_t(row)] != 0; }
    void set(int row, int col, const QVariant& v);

    // Order of two rows in one column (empty first; texts in Persian order), and of a row against a value.
    int compareRows(int col, int a, int b) const;
    int compareTo(int row, int col, const QVariant& v) const;
    bool equalTo(int row, int col, const QVariant& v) const;

    // Whether every value of the column is held as a whole number (none of another kind met it), and such a
    // value; for a row of such a column that is not empty.
    bool holdsWholeNumbers(int col) const { return m_cols[size_t(col)].kind == Kind::Int; }
    qint64 wholeNumber(int row, int col) const { return m_cols[size_t(col)].ints[size_t(row)]; }

private:
    enum class Kind
    {
        Int,
        Bool,
        Real,
        Text,
        Any
    };
    struct Column
    {
        Kind kind = Kind::Any;
        FieldType type = FieldType::Unknown;
        std::vector<qint64> ints;
        std::vector<double> reals;
        // Texts of a column share one buffer: a million small strings would each cost an allocation to read
        // and another to free.
        std::vector<char16_t> chars;
        std::vector<quint32> offsets;
        std::vector<quint32> lengths;
        std::vector<QVariant> any;
        std::vector<quint8> nulls;
    };

    static bool fits(const Column& c, const QVariant& v);
    void degrade(Column& c);
    void pushTyped(Column& c, const QVariant& v);
    static void pushText(Column& c, QStringView v);
    static QStringView textAt(const Column& c, size_t row)
    {
        return QStringView(c.chars.data() + c.offsets[row], qsizetype(c.lengths[row]));
    }

    std::vector<Column> m_cols;
    int m_rows = 0;
};
