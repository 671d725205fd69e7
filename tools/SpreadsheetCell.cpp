#include "tools/SpreadsheetCell.h"

namespace {

bool needsApostrophe(const QString& text)
{
    static const QString starters = QStringLiteral("=+-@\t\r'");
    return !text.isEmpty() && starters.contains(text.front());
}

} // namespace

QString neutralisedForSpreadsheet(const QString& text)
{
    return needsApostrophe(text) ? QString(QLatin1Char('\'') + text) : text;
}

QString restoredFromSpreadsheet(const QString& cell)
{
    // Only an apostrophe the writer added is taken off: one that stands before a text needing none is the text's.
    return cell.startsWith(QLatin1Char('\'')) && needsApostrophe(cell.mid(1)) ? cell.mid(1) : cell;
}
