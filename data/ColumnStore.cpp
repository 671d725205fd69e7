#include "data/ColumnStore.h"

#include "data/FieldValue.h"
#include "data/TextOrder.h"

#include <QStringDecoder>

namespace {

template <typename T> int order(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

void ColumnStore::reset(const std::vector<FieldType>& types)
{
    m_cols.clear();
    m_cols.resize(types.size());
    for (size_t i = 0; i < types.size(); ++i) {
        Column& c = m_cols[i];
        c.type = types[i];
        switch (types[i]) {
        case FieldType::Integer:
            c.kind = Kind::Int;
            break;
        case FieldType::Boolean:
            c.kind = Kind::Bool;
            break;
        case FieldType::Double:
            c.kind = Kind::Real;
            break;
        case FieldType::Text:
            c.kind = Kind::Text;
            break;
        case FieldType::Unknown:
            c.kind = Kind::Any;
            break;
        }
    }
    m_rows = 0;
}

void ColumnStore::reserve(size_t rows)
{
    for (Column& c : m_cols) {
        c.nulls.reserve(rows);
        switch (c.kind) {
        case Kind::Int:
        case Kind::Bool:
            c.ints.reserve(rows);
            break;
        case Kind::Real:
            c.reals.reserve(rows);
            break;
        case Kind::Text:
            c.offsets.reserve(rows);
            c.lengths.reserve(rows);
            c.chars.reserve(rows * 12);
            break;
        case Kind::Any:
            c.any.reserve(rows);
            break;
        }
    }
}

void ColumnStore::pushText(Column& c, QStringView v)
{
    c.offsets.push_back(quint32(c.chars.size()));
    c.lengths.push_back(quint32(v.size()));
    c.chars.insert(c.chars.end(), v.utf16(), v.utf16() + v.size());
}

void ColumnStore::clear()
{
    m_cols.clear();
    m_cols.shrink_to_fit();
    m_rows = 0;
}

bool ColumnStore::fits(const Column& c, const QVariant& v)
{
    const int t = v.typeId();
    switch (c.kind) {
    case Kind::Int:
        return isIntegralMetaType(t);
    case Kind::Bool:
        return t == QMetaType::Bool;
    case Kind::Real:
        return t == QMetaType::Double || t == QMetaType::Float;
    case Kind::Text:
        return t == QMetaType::QString;
    case Kind::Any:
        return true;
    }
    return true;
}

void ColumnStore::degrade(Column& c)
{
    if (c.kind == Kind::Any)
        return;
    std::vector<QVariant> any;
    any.reserve(c.nulls.capacity());
    for (size_t r = 0; r < c.nulls.size(); ++r) {
        if (c.nulls[r]) {
            any.emplace_back();
            continue;
        }
        switch (c.kind) {
        case Kind::Int:
            any.emplace_back(qlonglong(c.ints[r]));
            break;
        case Kind::Bool:
            any.emplace_back(c.ints[r] != 0);
            break;
        case Kind::Real:
            any.emplace_back(c.reals[r]);
            break;
        case Kind::Text:
            any.emplace_back(textAt(c, r).toString());
            break;
        case Kind::Any:
            break;
        }
    }
    c.any = std::move(any);
    c.ints = {};
    c.reals = {};
    c.chars = {};
    c.offsets = {};
    c.lengths = {};
    c.kind = Kind::Any;
}

void ColumnStore::pushTyped(Column& c, const QVariant& v)
{
    switch (c.kind) {
    case Kind::Int:
        c.ints.push_back(v.toLongLong());
        break;
    case Kind::Bool:
        c.ints.push_back(v.toBool() ? 1 : 0);
        break;
    case Kind::Real:
        c.reals.push_back(v.toDouble());
        break;
    case Kind::Text:
        pushText(c, v.toString());
        break;
    case Kind::Any:
        c.any.push_back(v);
        break;
    }
}

void ColumnStore::appendNull(int col)
{
    Column& c = m_cols[size_t(col)];
    c.nulls.push_back(1);
    switch (c.kind) {
    case Kind::Int:
    case Kind::Bool:
        c.ints.push_back(0);
        break;
    case Kind::Real:
        c.reals.push_back(0.0);
        break;
    case Kind::Text:
        pushText(c, QStringView());
        break;
    case Kind::Any:
        c.any.emplace_back();
        break;
    }
}

void ColumnStore::appendInt(int col, qint64 v)
{
    Column& c = m_cols[size_t(col)];
    if (c.kind == Kind::Int || c.kind == Kind::Bool) {
        c.nulls.push_back(0);
        c.ints.push_back(c.kind == Kind::Bool ? (v != 0 ? 1 : 0) : v);
        return;
    }
    if (c.kind == Kind::Real) {
        c.nulls.push_back(0);
        c.reals.push_back(double(v));
        return;
    }
    appendVariant(col, QVariant(qlonglong(v)));
}

void ColumnStore::appendDouble(int col, double v)
{
    Column& c = m_cols[size_t(col)];
    if (c.kind == Kind::Real) {
        c.nulls.push_back(0);
        c.reals.push_back(v);
        return;
    }
    if (c.kind == Kind::Bool) {
        c.nulls.push_back(0);
        c.ints.push_back(v != 0.0 ? 1 : 0);
        return;
    }
    appendVariant(col, QVariant(v));
}

void ColumnStore::appendText(int col, QString&& v)
{
    Column& c = m_cols[size_t(col)];
    if (c.kind == Kind::Text) {
        c.nulls.push_back(0);
        pushText(c, v);
        return;
    }
    appendVariant(col, QVariant(std::move(v)));
}

void ColumnStore::appendUtf8(int col, const char* data, int size)
{
    Column& c = m_cols[size_t(col)];
    if (c.kind != Kind::Text) {
        appendVariant(col, QVariant(QString::fromUtf8(data, size)));
        return;
    }
    // Decoded straight into the shared buffer; UTF-16 never needs more units than UTF-8 has bytes.
    const size_t start = c.chars.size();
    c.chars.resize(start + size_t(size));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QChar* begin = reinterpret_cast<QChar*>(c.chars.data() + start);
    QChar* end = decoder.appendToBuffer(begin, QByteArrayView(data, size));
    c.chars.resize(start + size_t(end - begin));
    c.nulls.push_back(0);
    c.offsets.push_back(quint32(start));
    c.lengths.push_back(quint32(end - begin));
}

void ColumnStore::appendVariant(int col, const QVariant& v)
{
    Column& c = m_cols[size_t(col)];
    if (v.isNull()) {
        appendNull(col);
        return;
    }
    if (!fits(c, v))
        degrade(c);
    c.nulls.push_back(0);
    pushTyped(c, v);
}

void ColumnStore::removeLastRow()
{
    if (m_rows == 0)
        return;
    for (Column& c : m_cols) {
        c.nulls.pop_back();
        switch (c.kind) {
        case Kind::Int:
        case Kind::Bool:
            c.ints.pop_back();
            break;
        case Kind::Real:
            c.reals.pop_back();
            break;
        case Kind::Text:
            if (c.offsets.back() + c.lengths.back() == c.chars.size())
                c.chars.resize(c.offsets.back());
            c.offsets.pop_back();
            c.lengths.pop_back();
            break;
        case Kind::Any:
            c.any.pop_back();
            break;
        }
    }
    --m_rows;
}

QVariant ColumnStore::value(int row, int col) const
{
    const Column& c = m_cols[size_t(col)];
    if (c.nulls[size_t(row)])
        return QVariant();
    switch (c.kind) {
    case Kind::Int:
        return QVariant(qlonglong(c.ints[size_t(row)]));
    case Kind::Bool:
        return QVariant(c.ints[size_t(row)] != 0);
    case Kind::Real:
        return QVariant(c.reals[size_t(row)]);
    case Kind::Text:
        return QVariant(textAt(c, size_t(row)).toString());
    case Kind::Any:
        return c.any[size_t(row)];
    }
    return QVariant();
}

void ColumnStore::set(int row, int col, const QVariant& v)
{
    Column& c = m_cols[size_t(col)];
    const size_t r = size_t(row);
    if (v.isNull()) {
        c.nulls[r] = 1;
        if (c.kind == Kind::Any)
            c.any[r] = QVariant();
        return;
    }
    if (!fits(c, v))
        degrade(c);
    c.nulls[r] = 0;
    switch (c.kind) {
    case Kind::Int:
        c.ints[r] = v.toLongLong();
        break;
    case Kind::Bool:
        c.ints[r] = v.toBool() ? 1 : 0;
        break;
    case Kind::Real:
        c.reals[r] = v.toDouble();
        break;
    case Kind::Text: {
        // The old text stays in the buffer unused; edits are few next to the rows read.
        const QString t = v.toString();
        c.offsets[r] = quint32(c.chars.size());
        c.lengths[r] = quint32(t.size());
        c.chars.insert(c.chars.end(), t.utf16(), t.utf16() + t.size());
        break;
    }
    case Kind::Any:
        c.any[r] = v;
        break;
    }
}

int ColumnStore::compareRows(int col, int a, int b) const
{
    const Column& c = m_cols[size_t(col)];
    const bool an = c.nulls[size_t(a)] != 0;
    const bool bn = c.nulls[size_t(b)] != 0;
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    switch (c.kind) {
    case Kind::Int:
    case Kind::Bool:
        return order(c.ints[size_t(a)], c.ints[size_t(b)]);
    case Kind::Real:
        return order(c.reals[size_t(a)], c.reals[size_t(b)]);
    case Kind::Text:
        return comparePersian(textAt(c, size_t(a)), textAt(c, size_t(b)));
    case Kind::Any:
        return compareFieldValues(c.any[size_t(a)], c.any[size_t(b)], c.type);
    }
    return 0;
}

int ColumnStore::compareTo(int row, int col, const QVariant& v) const
{
    const Column& c = m_cols[size_t(col)];
    if (!c.nulls[size_t(row)] && !v.isNull()) {
        if (c.kind == Kind::Int && isIntegralMetaType(v.typeId()))
            return order(c.ints[size_t(row)], qint64(v.toLongLong()));
        if (c.kind == Kind::Real && v.typeId() == QMetaType::Double)
            return order(c.reals[size_t(row)], v.toDouble());
        if (c.kind == Kind::Text && v.typeId() == QMetaType::QString)
            return comparePersian(textAt(c, size_t(row)), *static_cast<const QString*>(v.constData()));
    }
    return compareFieldValues(value(row, col), v, c.type);
}

bool ColumnStore::equalTo(int row, int col, const QVariant& v) const
{
    if (isNotANumber(v))
        return false;
    const Column& c = m_cols[size_t(col)];
    // Equal texts are identical texts (see comparePersian), so no collation is needed here.
    if (c.kind == Kind::Text && !c.nulls[size_t(row)] && v.typeId() == QMetaType::QString)
        return textAt(c, size_t(row)) == *static_cast<const QString*>(v.constData());
    return compareTo(row, col, v) == 0;
}
