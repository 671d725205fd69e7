// ravlen-db: makes Ravlen database files and moves the item bank in and out of them as CSV.

#include "data/DataError.h"
#include "tools/ItemCsv.h"
#include "tools/ItemStore.h"
#include "tools/ResultExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>

namespace {

enum ExitCode
{
    Success = 0,
    Failure = 1,
    Usage = 2
};

const char* const kHelp = R"(Usage: ravlen-db COMMAND ARGUMENTS

Makes database files for Ravlen and carries its item bank in and out of them.

Commands:
  create DATABASE
      Creates a new database file with the empty participant table and the
      bundled item bank (90 items). An existing file is never replaced, so
      running it again on the same name fails and keeps every participant.
      The file is readable and writable by its owner only.

  export-items DATABASE CSV
      Writes the items of DATABASE, in their order, to a new CSV file.

  import-items DATABASE CSV
      Replaces the items of DATABASE with those of the CSV file. Only a
      database without participants accepts new items. Every row is checked
      first; if any row is wrong nothing is changed and each fault is listed
      with its line number.

  export-results DATABASE OUT [--all] [--items] [--bom]
      Writes every participant's results to a new file for analysis; the
      format follows OUT's extension: .csv (UTF-8), .xlsx (spreadsheet) or
      .sav (SPSS, with variable and value labels). One row per participant:
      file number, test date (as stored and as a Gregorian ISO date),
      names, age, gender and grade codes, completed, then the percentage
      score of every scale (S1...) and sub-scale (SS1...). --all also takes
      participants who have not completed (their scores stay empty);
      --items adds every answer (A1...) and item score (R1...), 0 meaning
      unanswered; --bom starts a CSV file with a byte-order mark. The
      database is only read. A participant whose question table is missing
      is named on standard error and left out.

  --help
      Shows this text.

The CSV file is UTF-8 text. Its first row names the columns Group1 (overall
scale), Group2 (sub-scale), Scoring and Question, in any order; each further
row is one item, in the order the participant answers them. Texts must not be
empty and hold at most 255 characters; Scoring is true, or false for an item
scored in reverse. A field holding a comma or a double quote is enclosed in
double quotes, with each double quote inside it doubled.

Exit status: 0 on success, 1 when the work failed, 2 when the command line is wrong.
)";

void printError(const QString& text)
{
    std::fputs(qUtf8Printable(QStringLiteral("ravlen-db: ") + text + QLatin1Char('\n')), stderr);
}

void printOut(const QString& text)
{
    std::fputs(qUtf8Printable(text + QLatin1Char('\n')), stdout);
}

int usageError(const QString& text)
{
    printError(text);
    printError(QStringLiteral("run 'ravlen-db --help' to see the commands"));
    return Usage;
}

QString scaleSummary(const QList<BankItem>& items)
{
    QSet<QString> scales;
    QSet<QPair<QString, QString>> subScales;
    for (const BankItem& item : items) {
        scales.insert(item.group1);
        subScales.insert({item.group1, item.group2});
    }
    return QStringLiteral("%1 items in %2 scales and %3 sub-scales")
        .arg(items.size())
        .arg(scales.size())
        .arg(subScales.size());
}

int create(const QString& database)
{
    const QList<BankItem> items = ItemStore::bundledItems();
    ItemStore::createDatabase(database, items);
    printOut(QStringLiteral("Created %1 with %2.").arg(database, scaleSummary(items)));
    return Success;
}

int exportItems(const QString& database, const QString& csv)
{
    const QList<BankItem> items = ItemStore::readItems(database);
    ItemStore::writeNewFile(csv, writeItemCsv(items));
    printOut(QStringLiteral("Wrote %1 to %2.").arg(scaleSummary(items), csv));
    return Success;
}

int importItems(const QString& database, const QString& csv)
{
    QFile file(csv);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("cannot read '%1': %2").arg(csv, file.errorString()));
        return Failure;
    }
    QList<BankItem> items;
    QStringList errors;
    if (!tryParseItemCsv(file.readAll(), &items, &errors)) {
        for (const QString& error : errors)
            printError(QStringLiteral("%1: %2").arg(csv, error));
        printError(QStringLiteral("nothing was imported; %1 is unchanged").arg(database));
        return Failure;
    }
    ItemStore::replaceItems(database, items);
    printOut(QStringLiteral("Imported %1 into %2.").arg(scaleSummary(items), database));
    return Success;
}

int exportResults(const QStringList& args)
{
    QStringList files;
    ResultExport::Options options;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--all"))
            options.all = true;
        else if (arg == QLatin1String("--items"))
            options.items = true;
        else if (arg == QLatin1String("--bom"))
            options.bom = true;
        else if (arg.startsWith(QLatin1String("--")))
            return usageError(QStringLiteral("export-results has no option '%1'").arg(arg));
        else
            files.append(arg);
    }
    if (files.size() != 2)
        return usageError(QStringLiteral("export-results takes two files: the database and the file to write"));
    const std::optional<ResultExport::Format> format = ResultExport::formatOf(files[1]);
    if (!format)
        return usageError(QStringLiteral("'%1' does not end in .csv, .xlsx or .sav").arg(files[1]));
    // Refused before the work as well as at the end, where the final name is taken without a gap.
    if (QFileInfo::exists(files[1]) || QFileInfo(files[1]).isSymLink()) {
        printError(QStringLiteral("'%1' already exists; ravlen-db never replaces an existing file").arg(files[1]));
        return Failure;
    }
    const ResultExport::Table table = ResultExport::collect(files[0], options, printError);
    ResultExport::writeNewFile(table, files[1], *format, options);
    printOut(QStringLiteral("Wrote %1 participant(s) to %2; %3 skipped.")
                 .arg(table.rows.size())
                 .arg(files[1])
                 .arg(table.skippedFileNos.size()));
    return Success;
}

int run(const QStringList& args)
{
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    // "create --help" must explain, not make a file named "--help".
    if (command == QLatin1String("help") || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        std::fputs(kHelp, stdout);
        return Success;
    }
    if (command == QLatin1String("create")) {
        if (rest.size() != 1)
            return usageError(QStringLiteral("create takes one argument: the database file to make"));
        return create(rest[0]);
    }
    if (command == QLatin1String("export-items") || command == QLatin1String("import-items")) {
        if (rest.size() != 2)
            return usageError(
                QStringLiteral("%1 takes two arguments: the database file and the CSV file").arg(command));
        return command == QLatin1String("export-items") ? exportItems(rest[0], rest[1]) : importItems(rest[0], rest[1]);
    }
    if (command == QLatin1String("export-results"))
        return exportResults(rest);
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    try {
        return run(QCoreApplication::arguments().mid(1));
    } catch (const DataError& error) {
        printError(error.message());
    } catch (const std::exception& error) {
        printError(QString::fromLocal8Bit(error.what()));
    }
    return Failure;
}
