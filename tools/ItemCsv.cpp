#include "tools/ItemCsv.h"

#include "tools/SpreadsheetCell.h"

#include <QStringDecoder>

#include <array>
#include <optional>

namespace {

struct Record
{
    int line = 0; // the line the record starts on, counting from 1
    QStringList fields;
};

constexpr std::array<QLatin1StringView, 4> kColumns{QLatin1StringView("Group1"), QLatin1StringView("Group2"),
                                                    QLatin1StringView("Scoring"), QLatin1StringView("Question")};

QString lineError(int line, const QString& reason)
{
    return QStringLiteral("line %1: %2").arg(line).arg(reason);
}

// Decodes line by line so that a bad byte sequence can be reported with the line it sits on. A line break byte
// never occurs inside a UTF-8 sequence, so splitting first is safe.
std::optional<QString> decodeUtf8(QByteArrayView bytes, QStringList* errors)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QString text;
    text.reserve(bytes.size());
    int line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString part = decoder.decode(bytes.sliced(start, end - start));
        if (decoder.hasError()) {
            errors->append(lineError(line, QStringLiteral("the text is not valid UTF-8 (save the file as UTF-8)")));
            return std::nullopt;
        }
        text += part;
        if (end < bytes.size())
            text += QLatin1Char('\n');
        start = end + 1;
        ++line;
    }
    return text;
}

// Splits CSV text into records. Fields are separated by commas and records by line breaks (LF, CRLF or CR);
// a field enclosed in double quotes may hold commas, line breaks and doubled quotes.
std::optional<QList<Record>> splitRecords(const QString& text, QStringList* errors)
{
    QList<Record> records;
    Record current{1, {}};
    QString field;
    bool inQuotes = false;
    bool wasQuoted = false; // the current field was quoted and its closing quote has been read
    int line = 1;
    int quoteLine = 0;

    auto endRecord = [&] {
        current.fields.append(field);
        field.clear();
        wasQuoted = false;
        records.append(current);
        current = Record{line, {}};
    };

    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                    wasQuoted = true;
                }
            } else {
                if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && !(i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            current.fields.append(field);
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++line;
            endRecord();
        } else if (c == QLatin1Char('"')) {
            if (wasQuoted || !field.isEmpty()) {
                errors->append(lineError(line, QStringLiteral("a double quote stands inside a field; enclose the "
                                                              "whole field in double quotes and double the quote")));
                return std::nullopt;
            }
            inQuotes = true;
            quoteLine = line;
        } else {
            if (wasQuoted) {
                errors->append(lineError(line, QStringLiteral("text follows the closing double quote of a field")));
                return std::nullopt;
            }
            field += c;
        }
    }
    if (inQuotes) {
        errors->append(lineError(quoteLine, QStringLiteral("a quoted field is never closed")));
        return std::nullopt;
    }
    if (!field.isEmpty() || wasQuoted || !current.fields.isEmpty())
        endRecord();
    return records;
}

bool isBlank(const Record& record)
{
    return record.fields.size() == 1 && record.fields.first().trimmed().isEmpty();
}

// Checks one text field; returns the reason it is refused, or an empty string.
QString textFault(QLatin1StringView column, const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("%1 is empty").arg(column);
    if (value.size() > kMaxItemTextLength)
        return QStringLiteral("%1 is %2 characters long; at most %3 fit")
            .arg(column)
            .arg(value.size())
            .arg(kMaxItemTextLength);
    for (const QChar c : value) {
        // A line break or other control character would break the one-line layout of the statement and of the
        // score tables; a zero-width non-joiner and the direction marks are format characters, not controls.
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("%1 holds a line break or another control character").arg(column);
    }
    return {};
}

QString quoted(const QString& value)
{
    QString shown = value;
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("...");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

} // namespace

bool tryParseItemCsv(const QByteArray& bytes, QList<BankItem>* items, QStringList* errors)
{
    items->clear();
    errors->clear();
    const std::optional<QString> text = decodeUtf8(bytes, errors);
    if (!text)
        return false;
    std::optional<QList<Record>> records = splitRecords(*text, errors);
    if (!records)
        return false;
    records->removeIf(isBlank);
    if (records->isEmpty()) {
        errors->append(QStringLiteral("the file is empty; it needs a header row naming the columns Group1, Group2, "
                                      "Scoring and Question, then one row per item"));
        return false;
    }

    // Map each wanted column to its position in the header.
    const Record& header = records->first();
    std::array<qsizetype, kColumns.size()> position;
    position.fill(-1);
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields.at(i).trimmed();
        qsizetype known = -1;
        for (size_t k = 0; k < kColumns.size(); ++k) {
            if (name.compare(kColumns[k], Qt::CaseInsensitive) == 0)
                known = qsizetype(k);
        }
        if (known < 0) {
            errors->append(lineError(header.line, QStringLiteral("unknown column %1; the columns are Group1, Group2, "
                                                                 "Scoring and Question")
                                                      .arg(quoted(name))));
        } else if (position[size_t(known)] >= 0) {
            errors->append(lineError(header.line, QStringLiteral("column %1 appears twice").arg(kColumns[known])));
        } else {
            position[size_t(known)] = i;
        }
    }
    for (size_t k = 0; k < kColumns.size(); ++k) {
        if (position[k] < 0)
            errors->append(lineError(header.line, QStringLiteral("column %1 is missing").arg(kColumns[k])));
    }
    if (!errors->isEmpty())
        return false;

    QList<BankItem> parsed;
    for (qsizetype r = 1; r < records->size(); ++r) {
        const Record& record = records->at(r);
        if (record.fields.size() != header.fields.size()) {
            errors->append(lineError(record.line, QStringLiteral("%1 fields where the header names %2")
                                                      .arg(record.fields.size())
                                                      .arg(header.fields.size())));
            continue;
        }
        BankItem item;
        QStringList faults;
        auto text = [&](size_t k, QString* out) {
            *out = restoredFromSpreadsheet(record.fields.at(position[k]).trimmed());
            const QString fault = textFault(kColumns[k], *out);
            if (!fault.isEmpty())
                faults.append(fault);
        };
        text(0, &item.group1);
        text(1, &item.group2);
        text(3, &item.question);
        const QString scoring = record.fields.at(position[2]).trimmed();
        if (scoring.compare(QLatin1StringView("true"), Qt::CaseInsensitive) == 0)
            item.scoring = true;
        else if (scoring.compare(QLatin1StringView("false"), Qt::CaseInsensitive) == 0)
            item.scoring = false;
        else
            faults.append(QStringLiteral("Scoring must be true or false, not %1").arg(quoted(scoring)));
        if (!faults.isEmpty())
            errors->append(lineError(record.line, faults.join(QStringLiteral("; "))));
        else
            parsed.append(item);
    }
    if (!errors->isEmpty())
        return false;
    if (parsed.isEmpty()) {
        errors->append(QStringLiteral("the file has a header row but no items"));
        return false;
    }
    *items = std::move(parsed);
    return true;
}

QByteArray writeItemCsv(const QList<BankItem>& items)
{
    auto field = [](const QString& text) {
        const QString value = neutralisedForSpreadsheet(text);
        const bool needsQuotes = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) ||
                                 value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')) ||
                                 value != value.trimmed();
        if (!needsQuotes)
            return value;
        QString escaped = value;
        escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QString(QLatin1Char('"') + escaped + QLatin1Char('"'));
    };
    QString out = QStringLiteral("Group1,Group2,Scoring,Question\n");
    for (const BankItem& item : items) {
        out += field(item.group1) + QLatin1Char(',') + field(item.group2) + QLatin1Char(',') +
               (item.scoring ? QStringLiteral("true") : QStringLiteral("false")) + QLatin1Char(',') +
               field(item.question) + QLatin1Char('\n');
    }
    return out.toUtf8();
}
