#include "data/QueryOrder.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The result columns a query's closing "ORDER BY a [ASC|DESC], b ..." names, with true for descending. A query
// that ends in "GROUP BY a, b ..." with no order of its own yields its groups ascending by those columns: the
// engines give them in orders of their own (by code point on the file, as hashed on the server). Empty when the
// text closes with neither clause or it names anything but result columns.
std::vector<std::pair<int, bool>> closingOrderBy(const QString& sql, const std::vector<FieldDef>& fields)
{
    static const QRegularExpression orderBy(
        QStringLiteral(R"(\b(?:ORDER|GROUP)\s+BY\s+((?:[A-Za-z_][A-Za-z0-9_]*(?:\s+(?:ASC|DESC))?\s*,\s*)*)"
                       R"([A-Za-z_][A-Za-z0-9_]*(?:\s+(?:ASC|DESC))?)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = orderBy.match(sql);
    std::vector<std::pair<int, bool>> keys;
    if (!m.hasMatch())
        return keys;
    for (const QString& term : m.captured(1).split(QLatin1Char(','))) {
        const QStringList words = term.simplified().split(QLatin1Char(' '));
        int field = -1;
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(words.first(), Qt::CaseInsensitive) == 0)
                field = int(i);
        if (field < 0)
            return {};
        keys.emplace_back(field, words.size() > 1 && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0);
    }
    return keys;
}

} // namespace

void sortInPersianOrder(const QString& sql, const std::vector<FieldDef>& fields, ColumnStore& values)
{
    const std::vector<std::pair<int, bool>> keys = closingOrderBy(sql, fields);
    if (keys.empty() || values.rowCount() < 2)
        return;
    std::vector<int> rows(size_t(values.rowCount()));
    for (int r = 0; r < values.rowCount(); ++r)
        rows[size_t(r)] = r;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        for (const auto& [field, descending] : keys) {
            const int order = values.compareRows(field, a, b);
            if (order != 0)
                return descending ? order > 0 : order < 0;
        }
        return false;
    });
    std::vector<FieldType> types;
    for (const FieldDef& f : fields)
        types.push_back(f.type);
    ColumnStore sorted;
    sorted.reset(types);
    for (int r : rows) {
        for (int c = 0; c < values.columnCount(); ++c)
            sorted.appendVariant(c, values.value(r, c));
        sorted.endRow();
    }
    values = std::move(sorted);
}
