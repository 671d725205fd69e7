#include "data/FieldValue.h"

#include "data/TextOrder.h"

#include <cmath>

namespace {

bool isNumeric(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

} // namespace

int FieldValue::asInteger() const
{
    if (m_value.isNull())
        return 0;
    if (m_value.typeId() == QMetaType::Double)
        return int(std::lround(m_value.toDouble()));
    if (m_value.typeId() == QMetaType::QString) {
        bool ok = false;
        const int n = m_value.toString().trimmed().toInt(&ok);
        if (ok)
            return n;
        const double d = m_value.toString().trimmed().toDouble(&ok);
        return ok ? int(std::lround(d)) : 0;
    }
    return int(m_value.toLongLong());
}

double FieldValue::asFloat() const
{
    if (m_value.isNull())
        return 0.0;
    if (m_value.typeId() == QMetaType::QString)
        return m_value.toString().trimmed().toDouble();
    return m_value.toDouble();
}

bool FieldValue::asBoolean() const
{
    if (m_value.isNull())
        return false;
    const std::optional<QVariant> b = toFieldValue(m_value, FieldType::Boolean);
    return b && b->toBool();
}

QString FieldValue::asString() const
{
    if (m_value.isNull())
        return QString();
    if (m_value.typeId() == QMetaType::Bool)
        return m_value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return m_value.toString();
}

int compareFieldValues(const QVariant& a, const QVariant& b, FieldType type)
{
    const bool an = a.isNull();
    const bool bn = b.isNull();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (isNumeric(a) && isNumeric(b)) {
        if (a.typeId() != QMetaType::Double && b.typeId() != QMetaType::Double && a.typeId() != QMetaType::Float &&
            b.typeId() != QMetaType::Float) {
            const qlonglong x = a.toLongLong();
            const qlonglong y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    Q_UNUSED(type);
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return comparePersian(*static_cast<const QString*>(a.constData()), *static_cast<const QString*>(b.constData()));
    return comparePersian(a.toString(), b.toString());
}

bool isNotANumber(const QVariant& v)
{
    return (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) && std::isnan(v.toDouble());
}

bool equalFieldValues(const QVariant& a, const QVariant& b, FieldType type)
{
    if (isNotANumber(a) || isNotANumber(b))
        return false;
    // Texts are equal only when identical (the Persian order breaks its ties by code point), so equality needs no
    // collation, which is the costly part of comparing.
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return *static_cast<const QString*>(a.constData()) == *static_cast<const QString*>(b.constData());
    return compareFieldValues(a, b, type) == 0;
}

std::optional<QVariant> toFieldValue(const QVariant& v, FieldType type)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    // The runtime's reading of numbers stops at a NUL character and would take the text "1<NUL>x" for 1.
    if (type != FieldType::Text && type != FieldType::Unknown && v.typeId() == QMetaType::QString &&
        v.toString().contains(QChar::Null))
        return std::nullopt;
    switch (type) {
    case FieldType::Integer: {
        if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
            return QVariant(v.toDouble()); // compared as a number; 2.5 simply matches no whole number
        bool ok = false;
        const qlonglong n =
            v.typeId() == QMetaType::QString ? v.toString().trimmed().toLongLong(&ok) : v.toLongLong(&ok);
        if (ok)
            return QVariant(n);
        if (v.typeId() == QMetaType::QString) {
            const double d = v.toString().trimmed().toDouble(&ok);
            if (ok)
                return QVariant(d);
        }
        return std::nullopt;
    }
    case FieldType::Double: {
        bool ok = false;
        const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return QVariant(d);
    }
    case FieldType::Boolean: {
        if (v.typeId() == QMetaType::Bool)
            return v;
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
                s.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
                return QVariant(true);
            if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
                s.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
                return QVariant(false);
            bool ok = false;
            const double d = s.toDouble(&ok);
            if (!ok)
                return std::nullopt;
            return QVariant(d != 0.0);
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return QVariant(d != 0.0);
    }
    case FieldType::Text:
        return QVariant(v.toString());
    case FieldType::Unknown:
        return v;
    }
    return v;
}
