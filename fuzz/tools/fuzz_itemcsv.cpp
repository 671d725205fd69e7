// The item bank's CSV reader on arbitrary bytes, and its writer on arbitrary items. Whatever the reader accepts,
// written out and read again gives the same items; whatever items the reader could have produced (trimmed texts
// of 1 to 255 characters without control characters), written and read give themselves back. No cell the writer
// makes starts like a spreadsheet formula.

#include "tools/ItemCsv.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& csv)
{
    std::fprintf(stderr, "%s\n--- CSV ---\n%s\n", what, csv.constData());
    std::abort();
}

// Reads the cells of `csv` as a spreadsheet would (comma-separated, double-quoted fields with doubled quotes) and
// fails on any whose text starts with a formula sign.
void checkNoFormulaCell(const QByteArray& csv)
{
    const QString text = QString::fromUtf8(csv);
    bool inQuotes = false;
    bool cellStart = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (cellStart) {
            cellStart = false;
            if (c == QLatin1Char('"')) {
                inQuotes = true;
                cellStart = i + 1 < text.size() && text[i + 1] != QLatin1Char('"');
                continue;
            }
            if (QStringLiteral("=+-@").contains(c))
                fail("a cell starts like a formula", csv);
        }
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                    ++i;
                else
                    inQuotes = false;
            }
        } else if (c == QLatin1Char(',') || c == QLatin1Char('\n')) {
            cellStart = true;
        }
    }
}

void roundTrip(const QList<BankItem>& items)
{
    const QByteArray csv = writeItemCsv(items);
    checkNoFormulaCell(csv);
    QList<BankItem> back;
    QStringList errors;
    if (!tryParseItemCsv(csv, &back, &errors))
        fail(qPrintable(QStringLiteral("the reader refuses what the writer wrote: ") + errors.join(QLatin1Char('\n'))),
             csv);
    if (back != items)
        fail("written and read again, the items differ", csv);
}

// The text an item column could hold after reading: trimmed, 1 to 255 characters, no control characters.
bool couldBeRead(const QString& text)
{
    if (text.isEmpty() || text.size() > kMaxItemTextLength || text != text.trimmed())
        return false;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return false;
    return true;
}

// Items from raw bytes: texts separated by NUL bytes, three to an item, the scoring from the first byte's bits.
QList<BankItem> itemsFrom(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return {};
    const std::uint8_t bits = data[0];
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)).split('\0');
    QList<BankItem> items;
    for (qsizetype i = 0; i + 2 < parts.size(); i += 3) {
        BankItem item{QString::fromUtf8(parts[i]), QString::fromUtf8(parts[i + 1]), bool((bits >> (i / 3 % 8)) & 1),
                      QString::fromUtf8(parts[i + 2])};
        if (!couldBeRead(item.group1) || !couldBeRead(item.group2) || !couldBeRead(item.question))
            return {};
        items.append(item);
    }
    return items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<BankItem> items;
    QStringList errors;
    if (tryParseItemCsv(bytes, &items, &errors)) {
        if (!errors.isEmpty() || items.isEmpty())
            fail("an accepted file left errors or no items", bytes);
        roundTrip(items);
    } else if (errors.isEmpty() || !items.isEmpty()) {
        fail("a refused file gave no reason or kept items", bytes);
    }
    if (const QList<BankItem> made = itemsFrom(data, size); !made.isEmpty())
        roundTrip(made);
    return 0;
}
