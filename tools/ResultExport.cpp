#include "tools/ResultExport.h"

#include "calendar/ShDateUtils.h"
#include "data/DataError.h"
#include "data/ProfileTexts.h"
#include "data/ReadOnlyDatabase.h"
#include "data/ScoreQueries.h"
#include "data/SqlBackend.h"
#include "data/TableNameGuard.h"
#include "data/TableNameSet.h"
#include "tools/ItemStore.h"
#include "tools/SpreadsheetCell.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QTemporaryFile>

#include <readstat.h>
#include <xlsxwriter.h>

#include <cmath>

namespace ResultExport {
namespace {

// ---- reading the database -------------------------------------------------------------------------------------

using Rows = std::vector<QVariantList>;

Rows query(const QSqlDatabase& db, const QString& sql)
{
    const SqlBackend::ReadResult result = SqlBackend::readQuery(db, sql);
    const size_t width = result.fields.size();
    Rows rows;
    for (size_t i = 0; width > 0 && i + width <= result.values.size(); i += width)
        rows.emplace_back(result.values.begin() + qsizetype(i), result.values.begin() + qsizetype(i + width));
    return rows;
}

// The item bank as the export names it: scales in the order of their first item, sub-scales in the order the
// sub-scale query yields them, items in Row order.
struct Bank
{
    QStringList scales;
    QStringList subScales;
    QList<qint64> rows;
    QStringList questions;
    QList<bool> scoring; // false: scored in reverse
};

Bank readBank(const QSqlDatabase& db)
{
    Bank bank;
    for (const QVariantList& item : query(db, QStringLiteral("SELECT Row, Group1, Question, Scoring FROM Questions "
                                                             "ORDER BY Row"))) {
        bank.rows.append(item[0].toLongLong());
        bank.questions.append(item[2].toString());
        bank.scoring.append(item[3].toBool());
        if (!item[1].isNull() && !bank.scales.contains(item[1].toString()))
            bank.scales.append(item[1].toString());
    }
    // Run over the master table, the results window's own query gives the sub-scales in its own order.
    for (const QVariantList& group : query(db, scoreBySubScaleSql(QStringLiteral("Questions")).join(QLatin1Char('\n')))) {
        if (!group[0].isNull())
            bank.subScales.append(group[0].toString());
    }
    return bank;
}

// ---- the table's columns ----------------------------------------------------------------------------------------

enum FixedColumn
{
    FileNoColumn,
    DateColumn,
    GregorianDateColumn,
    FirstNameColumn,
    LastNameColumn,
    AgeColumn,
    GenderColumn,
    GradeColumn,
    CompletedColumn,
    FixedColumnCount
};

QList<QPair<int, QString>> genderLabels()
{
    return {{0, GenderText(0)}, {1, GenderText(1)}};
}

QList<QPair<int, QString>> gradeLabels()
{
    QList<QPair<int, QString>> labels;
    for (int code = 0; code <= 7; ++code)
        labels.append({code, GradeText(code)});
    return labels;
}

QList<QPair<int, QString>> answerLabels()
{
    QList<QPair<int, QString>> labels;
    const QStringList texts = answerTexts();
    for (qsizetype i = 0; i < texts.size(); ++i)
        labels.append({int(i + 1), texts[i]});
    return labels;
}

Column textColumn(const char* name, const QString& label)
{
    return Column{QLatin1String(name), label, false, Measure::Nominal, {}, {}};
}

Column numberColumn(const char* name, const QString& label, Measure measure,
                    const QList<QPair<int, QString>>& valueLabels = {})
{
    return Column{QLatin1String(name), label, true, measure, valueLabels, {}, !valueLabels.isEmpty()};
}

// Labelled with the captions the counsellor reads in the test window.
QList<Column> fixedColumns()
{
    const ProfileCaptions& caption = profileCaptions();
    return {numberColumn("FileNo", caption.fileNo, Measure::Nominal),
            textColumn("Date", caption.date),
            textColumn("DateISO", caption.date + QStringLiteral(" (ميلادي)")),
            textColumn("FName", caption.firstName),
            textColumn("LName", caption.lastName),
            numberColumn("Age", caption.age, Measure::Scale),
            numberColumn("Gender", caption.gender, Measure::Nominal, genderLabels()),
            numberColumn("Grade", caption.grade, Measure::Ordinal, gradeLabels()),
            numberColumn("Completed", QStringLiteral("آزمون کامل شده (1 بله، 0 خير)"), Measure::Nominal)};
}

void appendNumbered(QList<Column>& columns, const char* prefix, const QStringList& labels, Measure measure,
                    std::optional<double> missingCode = {}, const QList<QPair<int, QString>>& valueLabels = {})
{
    for (qsizetype i = 0; i < labels.size(); ++i)
        columns.append(Column{QLatin1String(prefix) + QString::number(i + 1), labels[i], true, measure, valueLabels,
                              missingCode});
}

// An item score's label says how the answer was scored, then the question.
QStringList scoreLabels(const Bank& bank)
{
    QStringList labels;
    for (qsizetype i = 0; i < bank.questions.size(); ++i)
        labels.append((bank.scoring[i] ? QStringLiteral("نمره مستقيم (برابر پاسخ): ")
                                       : QStringLiteral("نمره معکوس (6 منهاي پاسخ): ")) +
                      bank.questions[i]);
    return labels;
}

QList<Column> columnsFor(const Bank& bank, const Options& options)
{
    QList<Column> columns = fixedColumns();
    appendNumbered(columns, "S", bank.scales, Measure::Scale);
    appendNumbered(columns, "SS", bank.subScales, Measure::Scale);
    if (options.items) {
        // Unanswered items are stored as 0, which no analysis should average in.
        appendNumbered(columns, "A", bank.questions, Measure::Ordinal, 0.0, answerLabels());
        appendNumbered(columns, "R", scoreLabels(bank), Measure::Ordinal, 0.0);
    }
    return columns;
}

// ---- one participant ------------------------------------------------------------------------------------------

// The stored date read through the calendar with the regional short date format; empty when it cannot be read.
QString gregorianDate(const QString& storedDate)
{
    TDateTime serial = 0;
    if (!ShTryStrToDate(storedDate, serial))
        return QString();
    return QDate(1899, 12, 30).addDays(qint64(std::floor(serial))).toString(Qt::ISODate);
}

// Per-group percentages from one of the two score queries, keyed by the group's text.
QHash<QString, double> percentages(const QSqlDatabase& db, const QStringList& sqlLines)
{
    QHash<QString, double> result;
    for (const QVariantList& group : query(db, sqlLines.join(QLatin1Char('\n')))) {
        if (!group[0].isNull() && !group[3].isNull())
            result.insert(group[0].toString(), group[3].toDouble());
    }
    return result;
}

void putScores(QVariantList& row, qsizetype first, const QStringList& groups, const QHash<QString, double>& per)
{
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const auto found = per.constFind(groups[i]);
        if (found != per.constEnd())
            row[first + i] = *found;
    }
}

void putItems(QVariantList& row, qsizetype first, const Bank& bank, const QSqlDatabase& db, const QString& table)
{
    QHash<qint64, qsizetype> indexOfRow;
    for (qsizetype i = 0; i < bank.rows.size(); ++i)
        indexOfRow.insert(bank.rows[i], i);
    const qsizetype count = bank.rows.size();
    for (const QVariantList& item : query(db, QStringLiteral("SELECT Row, Answer, Score FROM %1").arg(table))) {
        const auto found = indexOfRow.constFind(item[0].toLongLong());
        if (found == indexOfRow.constEnd())
            continue;
        if (!item[1].isNull())
            row[first + *found] = item[1].toDouble();
        if (!item[2].isNull())
            row[first + count + *found] = item[2].toDouble();
    }
}

struct Profile
{
    int fileNo = 0;
    QString date;
    QVariant firstName, lastName, age, gender, grade;
    QString table;
    bool completed = false;
};

QVariantList participantRow(const QSqlDatabase& db, const Bank& bank, const Options& options, qsizetype width,
                            const TableNameSet& tables, const Profile& p)
{
    QVariantList row(width);
    row[FileNoColumn] = p.fileNo;
    row[DateColumn] = p.date;
    row[GregorianDateColumn] = gregorianDate(p.date);
    row[FirstNameColumn] = p.firstName;
    row[LastNameColumn] = p.lastName;
    row[AgeColumn] = p.age;
    row[GenderColumn] = p.gender;
    row[GradeColumn] = p.grade;
    row[CompletedColumn] = p.completed ? 1 : 0;
    if (!isParticipantTableName(p.table) || !tables.contains(p.table))
        throw DataError(QStringLiteral("its question table '%1' is missing").arg(p.table));
    const qsizetype subScalesFrom = FixedColumnCount + bank.scales.size();
    // Scores of an unfinished test would count its unanswered items as 0: they stay empty.
    if (p.completed) {
        putScores(row, FixedColumnCount, bank.scales, percentages(db, scoreByScaleSql(p.table)));
        putScores(row, subScalesFrom, bank.subScales, percentages(db, scoreBySubScaleSql(p.table)));
    }
    if (options.items)
        putItems(row, subScalesFrom + bank.subScales.size(), bank, db, p.table);
    return row;
}

std::vector<Profile> readProfiles(const QSqlDatabase& db, const Options& options)
{
    QString sql = QStringLiteral("SELECT FileNo, Date, FName, LName, Age, Gender, Grade, QTable, Completed "
                                 "FROM Profiles");
    if (!options.all)
        sql += QStringLiteral(" WHERE Completed");
    sql += QStringLiteral(" ORDER BY FileNo");
    std::vector<Profile> profiles;
    for (const QVariantList& r : query(db, sql))
        profiles.push_back(Profile{r[0].toInt(), r[1].toString(), r[2], r[3], r[4], r[5], r[6], r[7].toString(),
                                   r[8].toBool()});
    return profiles;
}

// ---- writing ----------------------------------------------------------------------------------------------------

// A spreadsheet has no value labels, so a labelled code gets its text in a column of its own beside it.
Table withLabelTexts(const Table& table)
{
    Table out;
    out.skippedFileNos = table.skippedFileNos;
    QList<qsizetype> labelled;
    for (qsizetype c = 0; c < table.columns.size(); ++c) {
        const Column& column = table.columns[c];
        out.columns.append(column);
        if (column.textBeside) {
            labelled.append(c);
            out.columns.append(Column{column.name + QStringLiteral("Text"), column.label, false, Measure::Nominal, {}, {}});
        }
    }
    for (const QVariantList& row : table.rows) {
        QVariantList wide;
        for (qsizetype c = 0; c < row.size(); ++c) {
            wide.append(row[c]);
            if (!labelled.contains(c))
                continue;
            QString text;
            for (const auto& [code, label] : table.columns[c].valueLabels) {
                if (!row[c].isNull() && row[c].toInt() == code)
                    text = label;
            }
            wide.append(text);
        }
        out.rows.push_back(wide);
    }
    return out;
}

QString numberText(const QVariant& value)
{
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QString csvField(const QString& text)
{
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                             text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString csvLine(const QStringList& cells)
{
    QStringList fields;
    for (const QString& cell : cells)
        fields.append(csvField(cell));
    return fields.join(QLatin1Char(',')) + QLatin1Char('\n');
}

QString cellText(const Column& column, const QVariant& value)
{
    if (value.isNull())
        return QString();
    return column.numeric ? numberText(value) : neutralisedForSpreadsheet(value.toString());
}

class Workbook
{
public:
    explicit Workbook(const QString& fileName) : m_book(workbook_new(QFile::encodeName(fileName).constData()))
    {
        if (!m_book)
            throw DataError(QStringLiteral("Cannot start the spreadsheet '%1'").arg(fileName));
    }
    ~Workbook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* get() const { return m_book; }
    void close()
    {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        if (error != LXW_NO_ERROR)
            throw DataError(QStringLiteral("Cannot write the spreadsheet: %1").arg(QLatin1String(lxw_strerror(error))));
    }

private:
    lxw_workbook* m_book;
};

void fillSheet(lxw_workbook* book, const Table& table)
{
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Results");
    worksheet_right_to_left(sheet);
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    lxw_format* percent = workbook_add_format(book);
    format_set_num_format(percent, "0.00");
    lxw_format* whole = workbook_add_format(book);
    format_set_num_format(whole, "0");
    for (qsizetype c = 0; c < table.columns.size(); ++c) {
        const lxw_col_t col = lxw_col_t(c);
        worksheet_write_string(sheet, 0, col, table.columns[c].name.toUtf8().constData(), header);
        worksheet_write_string(sheet, 1, col, table.columns[c].label.toUtf8().constData(), header);
    }
    // The two header rows and the file number stay in view while scrolling.
    worksheet_freeze_panes(sheet, 2, 1);
    lxw_row_t r = 2;
    for (const QVariantList& row : table.rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            const QVariant& value = row[c];
            if (value.isNull())
                continue;
            const lxw_col_t col = lxw_col_t(c);
            if (!table.columns[c].numeric)
                worksheet_write_string(sheet, r, col, value.toString().toUtf8().constData(), nullptr);
            else
                worksheet_write_number(sheet, r, col, value.toDouble(),
                                       value.typeId() == QMetaType::Double ? percent : whole);
        }
        ++r;
    }
}

// ---- SPSS -------------------------------------------------------------------------------------------------------

ssize_t appendBytes(const void* data, size_t length, void* context)
{
    static_cast<QByteArray*>(context)->append(static_cast<const char*>(data), qsizetype(length));
    return ssize_t(length);
}

void check(readstat_error_t error, const char* doing)
{
    if (error != READSTAT_OK)
        throw DataError(QStringLiteral("Cannot write the SPSS file (%1): %2")
                            .arg(QLatin1String(doing), QLatin1String(readstat_error_message(error))));
}

readstat_measure_t measureOf(Measure measure)
{
    switch (measure) {
    case Measure::Nominal:
        return READSTAT_MEASURE_NOMINAL;
    case Measure::Ordinal:
        return READSTAT_MEASURE_ORDINAL;
    case Measure::Scale:
        break;
    }
    return READSTAT_MEASURE_SCALE;
}

// The widest value of a text column in bytes: SPSS string variables have a fixed width.
size_t textWidth(const Table& table, qsizetype c)
{
    size_t width = 1;
    for (const QVariantList& row : table.rows)
        width = std::max(width, size_t(row[c].toString().toUtf8().size()));
    return width;
}

// The file keeps at most 255 bytes of a variable label and the library cuts a longer one at a byte, which can
// split a Persian letter and leave text SPSS cannot read; a long question is cut at a whole letter instead.
QByteArray savLabel(const QString& label)
{
    constexpr qsizetype maxBytes = 255;
    QString text = label;
    QByteArray bytes = text.toUtf8();
    while (bytes.size() > maxBytes) {
        text.chop(text.size() > 1 && text.back().isLowSurrogate() ? 2 : 1);
        bytes = text.toUtf8();
    }
    return bytes;
}

class SavWriter
{
public:
    SavWriter() : m_writer(readstat_writer_init()) { check(readstat_set_data_writer(m_writer, appendBytes), "start"); }
    ~SavWriter() { readstat_writer_free(m_writer); }
    SavWriter(const SavWriter&) = delete;
    SavWriter& operator=(const SavWriter&) = delete;

    QByteArray write(const Table& table)
    {
        std::vector<readstat_variable_t*> variables;
        for (qsizetype c = 0; c < table.columns.size(); ++c)
            variables.push_back(addVariable(table, c));
        check(readstat_begin_writing_sav(m_writer, &m_bytes, long(table.rows.size())), "header");
        check(readstat_validate_metadata(m_writer), "variables");
        for (const QVariantList& row : table.rows) {
            check(readstat_begin_row(m_writer), "row");
            for (qsizetype c = 0; c < row.size(); ++c)
                insert(variables[size_t(c)], table.columns[c], row[c]);
            check(readstat_end_row(m_writer), "row");
        }
        check(readstat_end_writing(m_writer), "end");
        return m_bytes;
    }

private:
    readstat_variable_t* addVariable(const Table& table, qsizetype c)
    {
        const Column& column = table.columns[c];
        const QByteArray name = column.name.toUtf8();
        readstat_variable_t* variable =
            column.numeric ? readstat_add_variable(m_writer, name.constData(), READSTAT_TYPE_DOUBLE, 0)
                           : readstat_add_variable(m_writer, name.constData(), READSTAT_TYPE_STRING, textWidth(table, c));
        readstat_variable_set_label(variable, savLabel(column.label).constData());
        readstat_variable_set_measure(variable, measureOf(column.measure));
        if (column.numeric)
            readstat_variable_set_format(variable, c >= FixedColumnCount ? "F8.2" : "F8.0");
        if (column.missingCode)
            check(readstat_variable_add_missing_double_value(variable, *column.missingCode), "missing values");
        if (!column.valueLabels.isEmpty())
            readstat_variable_set_label_set(variable, labelSetFor(column));
        return variable;
    }

    // Columns with the same value labels (every answer column) share one set, named after the first of them.
    readstat_label_set_t* labelSetFor(const Column& column)
    {
        for (const auto& [labels, set] : m_labelSets)
            if (labels == column.valueLabels)
                return set;
        const QByteArray setName = QByteArray("labels_") + column.name.toUtf8();
        readstat_label_set_t* set = readstat_add_label_set(m_writer, READSTAT_TYPE_DOUBLE, setName.constData());
        for (const auto& [code, text] : column.valueLabels)
            readstat_label_double_value(set, code, text.toUtf8().constData());
        m_labelSets.emplace_back(column.valueLabels, set);
        return set;
    }

    void insert(readstat_variable_t* variable, const Column& column, const QVariant& value)
    {
        if (value.isNull())
            check(readstat_insert_missing_value(m_writer, variable), "value");
        else if (column.numeric)
            check(readstat_insert_double_value(m_writer, variable, value.toDouble()), "value");
        else
            check(readstat_insert_string_value(m_writer, variable, value.toString().toUtf8().constData()), "value");
    }

    readstat_writer_t* m_writer;
    QByteArray m_bytes;
    std::vector<std::pair<QList<QPair<int, QString>>, readstat_label_set_t*>> m_labelSets;
};

} // namespace

std::optional<Format> formatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("xlsx"))
        return Format::Xlsx;
    if (suffix == QLatin1String("sav"))
        return Format::Sav;
    return std::nullopt;
}

Table collect(const QString& database, const Options& options,
              const std::function<void(const QString& message)>& skipped)
{
    // Read only: an export never changes the file it reads, and a copy on read-only media (a backup disk)
    // exports as well as the working file.
    const ReadOnlyDatabase connection(database);
    const QSqlDatabase& db = connection.database();
    const Bank bank = readBank(db);
    Table table;
    table.columns = columnsFor(bank, options);
    const std::vector<Profile> profiles = readProfiles(db, options);
    // Listed once for every profile, and after the profiles: registration makes a profile and its table in one
    // unit of work, so every profile read here has its table in the list unless the table is really missing.
    const TableNameSet tables(SqlBackend::tableNames(db));
    for (const Profile& profile : profiles) {
        try {
            table.rows.push_back(participantRow(db, bank, options, table.columns.size(), tables, profile));
        } catch (const DataError& error) {
            table.skippedFileNos.append(profile.fileNo);
            if (skipped)
                skipped(QStringLiteral("file number %1 skipped: %2").arg(profile.fileNo).arg(error.message()));
        }
    }
    return table;
}

QByteArray csvText(const Table& source, bool byteOrderMark, bool labelRow)
{
    const Table table = withLabelTexts(source);
    QStringList names, labels;
    for (const Column& column : table.columns) {
        names.append(column.name);
        labels.append(neutralisedForSpreadsheet(column.label));
    }
    QString text = csvLine(names);
    if (labelRow)
        text += csvLine(labels);
    for (const QVariantList& row : table.rows) {
        QStringList cells;
        for (qsizetype c = 0; c < row.size(); ++c)
            cells.append(cellText(table.columns[c], row[c]));
        text += csvLine(cells);
    }
    const QByteArray bom = byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    return bom + text.toUtf8();
}

QByteArray xlsxBytes(const Table& table)
{
    // The library writes to a named file only; a private scratch file (owner-only, removed afterwards) holds it.
    QTemporaryFile scratch;
    if (!scratch.open())
        throw DataError(QStringLiteral("Cannot make a scratch file for the spreadsheet: %1").arg(scratch.errorString()));
    scratch.close();
    Workbook book(scratch.fileName());
    fillSheet(book.get(), withLabelTexts(table));
    book.close();
    if (!scratch.open())
        throw DataError(QStringLiteral("Cannot read the spreadsheet back: %1").arg(scratch.errorString()));
    return scratch.readAll();
}

QByteArray savBytes(const Table& table)
{
    return SavWriter().write(table);
}

void writeNewFile(const Table& table, const QString& fileName, Format format, const Options& options)
{
    switch (format) {
    case Format::Csv:
        ItemStore::writeNewFile(fileName, csvText(table, options.bom, options.labels));
        return;
    case Format::Xlsx:
        ItemStore::writeNewFile(fileName, xlsxBytes(table));
        return;
    case Format::Sav:
        ItemStore::writeNewFile(fileName, savBytes(table));
        return;
    }
}

} // namespace ResultExport
