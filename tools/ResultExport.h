#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

// Results of every participant as one table for analysis in SPSS or a spreadsheet: the profile, then the
// percentage score of every scale and sub-scale (computed by the same query text as the results window), and
// optionally every answer and item score. Variable names come from the database's own item bank, so a clinic's
// own bank exports as well as the bundled one.
namespace ResultExport {

enum class Format
{
    Csv,
    Xlsx,
    Sav
};

// The format named by the file name's extension (.csv, .xlsx, .sav; letter case ignored); nullopt for any other.
std::optional<Format> formatOf(const QString& fileName);

struct Options
{
    bool all = false;   // also participants who have not completed the test
    bool items = false; // also every answer and item score, in Row order
    bool bom = false;   // CSV only: start with a UTF-8 byte-order mark (some spreadsheets need it to read UTF-8)
    // CSV only: a second row with the Persian labels. Off by default: SPSS, R and Stata read every column of a
    // file with such a row as text.
    bool labels = false;
};

enum class Measure
{
    Nominal,
    Ordinal,
    Scale
};

struct Column
{
    QString name;  // Latin letters and digits only, starting with a letter: valid in every target
    QString label; // the variable label (SPSS) or the second header row (CSV, XLSX)
    bool numeric = true;
    Measure measure = Measure::Scale;
    QList<QPair<int, QString>> valueLabels; // code and text
    std::optional<double> missingCode;      // a stored value that means "no answer"
    // CSV and XLSX have no value labels: the code's text goes into a column of its own beside it.
    bool textBeside = false;
};

struct Table
{
    QList<Column> columns;
    std::vector<QVariantList> rows; // one value per column; a null QVariant is an empty cell (system-missing)
    QList<int> skippedFileNos;      // participants whose question table is missing or damaged
};

// Reads the table from the database file, which is opened read-only and never changed. A participant whose
// question table is missing or damaged goes to `skipped` (called with a message naming the file number) and is
// left out. Throws DataError when the file cannot be read or is not a Ravlen database.
Table collect(const QString& database, const Options& options,
              const std::function<void(const QString& message)>& skipped);

// The table in each target format.
QByteArray csvText(const Table& table, bool byteOrderMark, bool labelRow);
QByteArray xlsxBytes(const Table& table);
QByteArray savBytes(const Table& table);

// Writes the table to a new file at `fileName`, owner-only, appearing whole or not at all; an existing file is
// never replaced. Throws DataError.
void writeNewFile(const Table& table, const QString& fileName, Format format, const Options& options);

} // namespace ResultExport
