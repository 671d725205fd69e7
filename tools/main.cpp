// ravlen-db: makes Ravlen database files, moves the item bank in and out of them as CSV, and backs them up and
// checks them while the program may be running.

#include "data/DataError.h"
#include "data/DbBackend.h"
#include "tools/Backup.h"
#include "tools/ErrorAdvice.h"
#include "tools/Check.h"
#include "tools/ItemBankChecks.h"
#include "tools/ItemCsv.h"
#include "tools/ItemStore.h"
#include "tools/ReadOnlyDb.h"
#include "tools/ResultExport.h"
#include "tools/ServerStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

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

  backup DATABASE COPY
      Copies DATABASE to the new file COPY, also while Ravlen is running:
      the copy holds every answer stored before it began. DATABASE is only
      read. The copy is checked before it gets its name, is readable and
      writable by its owner only, and never replaces an existing file.
      DATABASE may be a server URI: the server's database is copied, as one
      snapshot, into the new database file COPY.

  check DATABASE
      Runs the database engine's integrity check and checks that the file
      has the tables and columns Ravlen reads and nothing that would run
      hidden statements. Says what is wrong and what to do. Only reads the
      file, so it may run while Ravlen is running. DATABASE may also be a
      server URI (postgresql://user@host:port/database): the server's
      database is checked the way Ravlen checks it when it connects.

  create-server URI
      Creates the tables and the bundled item bank in an empty database on
      a PostgreSQL server, given as postgresql://user@host:port/database
      (no password: it is read from ~/.pgpass, which must be readable by
      its owner only). A database that holds any table is refused.

  migrate DATABASE URI
      Copies the database file's items, participants and every participant
      question table to an empty server database, in one transaction, and
      compares the row counts of every table; any difference undoes it all.
      The file is only read. The server database must be empty: a clinic
      with a file runs migrate instead of create-server, never after it.

  export-items [--bom] DATABASE CSV
      Writes the items of DATABASE, in their order, to a new CSV file.
      --bom starts the file with a byte-order mark, so that a spreadsheet
      on Windows shows the Persian texts.

  import-items [--force] DATABASE CSV
      Replaces the items of DATABASE with those of the CSV file. Only a
      database without participants accepts new items. Every row is checked
      first; if any row is wrong nothing is changed and each fault is listed
      with its line number. A file whose items fall into another number of
      scales or sub-scales, or that files one sub-scale under two scales, is
      refused with the old and the new shape unless --force is given.

  export-results DATABASE OUT [--all] [--items] [--bom] [--labels]
      Writes every participant's results to a new file for analysis; the
      format follows OUT's extension: .csv (UTF-8), .xlsx (spreadsheet) or
      .sav (SPSS, with Persian variable labels and value labels). One row
      per participant: file number, test date (as stored and as a Gregorian
      ISO date), names, age, gender and grade codes, completed, then the
      percentage score of every scale (S1...) and sub-scale (SS1...). --all
      also takes participants who have not completed (their scores stay
      empty); --items adds every answer (A1...) and item score (R1...), 0
      meaning unanswered; --bom starts a CSV file with a byte-order mark.
      A CSV file has one header row of variable names, so SPSS, R and
      Stata read its numbers as numbers; --labels adds a second row with
      the Persian labels. The spreadsheet always has both rows. The
      database is only read. A participant whose question table is missing
      is named on standard error and left out. DATABASE may be a server
      URI; its results are read from one snapshot.

  --help
      Shows this text.

The CSV file is UTF-8 text. Its first row names the columns Group1 (overall
scale), Group2 (sub-scale), Scoring and Question, in any order; each further
row is one item, in the order the participant answers them. Texts must not be
empty and hold at most 255 characters; Scoring is true, or false for an item
scored in reverse. A field holding a comma or a double quote is enclosed in
double quotes, with each double quote inside it doubled.

Exit status: 0 on success (for check: the file is sound), 1 when the work
failed or the file is not sound, 2 when the command line is wrong.
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

int exportItems(const QString& database, const QString& csv, bool byteOrderMark)
{
    const QList<BankItem> items = ItemStore::readItems(database);
    const QByteArray bytes = writeItemCsv(items);
    ItemStore::writeNewFile(csv, byteOrderMark ? withByteOrderMark(bytes) : bytes);
    printOut(QStringLiteral("Wrote %1 to %2.").arg(scaleSummary(items), csv));
    return Success;
}

// The old and the new shape when the import would change what the score windows sum over; empty when not.
QString refusedShapeChange(const QString& database, const QList<BankItem>& items)
{
    // A file with participants takes no items at all; the import says so itself, which matters more than the shape.
    const ReadOnlyDb db(database);
    db.requireRavlenSchema();
    if (db.column(QStringLiteral("SELECT count(*) FROM Profiles")).value(0).toLongLong() > 0)
        return QString();
    const BankShape current = bankShapeOf(ItemStore::readItems(database));
    const BankShape incoming = bankShapeOf(items);
    if (!shapeChangeNeedsForce(current, incoming))
        return QString();
    return QStringLiteral("the import changes the shape of the item bank, and every score shown afterwards with it:\n"
                          "  now:      %1\n  the file: %2\nnothing was imported; run import-items --force to "
                          "import it anyway")
        .arg(describeShape(current), describeShape(incoming));
}

int importItems(const QString& database, const QString& csv, bool force)
{
    QFile file(csv);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("cannot read '%1': %2; check the name and the folder of the CSV file")
                       .arg(csv, file.errorString()));
        return Failure;
    }
    QList<BankItem> items;
    QStringList errors;
    const QByteArray bytes = file.readAll();
    if (!tryParseItemCsv(bytes, &items, &errors)) {
        for (const QString& error : errors)
            printError(QStringLiteral("%1: %2").arg(csv, error));
        if (const QString hint = separatorHint(bytes); !hint.isEmpty())
            printError(QStringLiteral("%1: %2").arg(csv, hint));
        printError(QStringLiteral("nothing was imported; %1 is unchanged").arg(database));
        return Failure;
    }
    if (const QString refusal = force ? QString() : refusedShapeChange(database, items); !refusal.isEmpty()) {
        printError(refusal);
        return Failure;
    }
    ItemStore::replaceItems(database, items);
    printOut(QStringLiteral("Imported %1 into %2.").arg(scaleSummary(items), database));
    return Success;
}

int backup(const QString& database, const QString& copy)
{
    if (const QString uri = serverUriOf(database); !uri.isEmpty()) {
        const ServerStore::Copied done = ServerStore::copyToFile(uri, copy);
        printOut(QStringLiteral("Copied %1 to %2 (%3 participants, %4 participant tables, %5 items); every count "
                                "matches.")
                     .arg(uri, copy)
                     .arg(done.participants)
                     .arg(done.participantTables)
                     .arg(done.items));
        return Success;
    }
    const Backup::Summary summary = Backup::copyDatabase(database, copy);
    printOut(QStringLiteral("Copied %1 to %2 (%3 participants, %4 items); the copy passed the integrity check.")
                 .arg(database, copy)
                 .arg(summary.participants)
                 .arg(summary.items));
    return Success;
}

int createServer(const QString& uri)
{
    const QList<BankItem> items = ItemStore::bundledItems();
    ServerStore::createServer(uri, items);
    printOut(QStringLiteral("Created the tables on %1 with %2.").arg(uri, scaleSummary(items)));
    return Success;
}

int migrate(const QString& database, const QString& uri)
{
    const ServerStore::Migration done = ServerStore::migrate(database, uri);
    printOut(QStringLiteral("Copied %1 to %2: %3 participants, %4 participant tables (%5 rows), %6 items; every "
                            "count matches.")
                 .arg(database, uri)
                 .arg(done.participants)
                 .arg(done.participantTables)
                 .arg(done.answerRows)
                 .arg(done.items));
    return Success;
}

int check(const QString& database)
{
    if (const QString uri = serverUriOf(database); !uri.isEmpty()) {
        const ServerStore::ServerCounts counts = ServerStore::checkServer(uri);
        printOut(QStringLiteral("%1 is sound: it has the tables Ravlen reads (%2 participants, %3 items).")
                     .arg(uri)
                     .arg(counts.participants)
                     .arg(counts.items));
        return Success;
    }
    const Check::Report report = Check::checkDatabase(database);
    if (report.sound()) {
        printOut(QStringLiteral("%1 is sound: it passes the integrity check and has the tables Ravlen reads (%2 "
                                "participants, %3 items).")
                     .arg(database)
                     .arg(report.participants)
                     .arg(report.items));
        return Success;
    }
    QStringList advice;
    for (const Check::Finding& finding : report.findings) {
        printError(QStringLiteral("%1: %2").arg(database, finding.problem));
        if (!advice.contains(finding.advice))
            advice.append(finding.advice);
    }
    for (const QString& step : advice)
        printError(QStringLiteral("what to do: ") + step);
    return Failure;
}

// Takes `option` out of `args`; true when it was there.
bool takeOption(QStringList& args, const QString& option)
{
    return args.removeAll(option) > 0;
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
        else if (arg == QLatin1String("--labels"))
            options.labels = true;
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
        printError(QStringLiteral("'%1' already exists; ravlen-db never replaces an existing file. Choose another "
                                  "name or move the old file away first.")
                       .arg(files[1]));
        return Failure;
    }
    // A server's results are read from a snapshot copied into a scratch file, so they come from one moment.
    QTemporaryDir snapshotDir;
    QString database = files[0];
    if (const QString uri = serverUriOf(database); !uri.isEmpty()) {
        if (!snapshotDir.isValid())
            throw DataError(QStringLiteral("Cannot make a scratch folder: %1").arg(snapshotDir.errorString()));
        database = snapshotDir.filePath(QStringLiteral("Ravlen.mdb"));
        ServerStore::copyToFile(uri, database);
    }
    const ResultExport::Table table = ResultExport::collect(database, options, printError);
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
    QStringList rest = args.mid(1);
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
    if (command == QLatin1String("create-server")) {
        if (rest.size() != 1 || !isServerDataSource(rest[0]))
            return usageError(QStringLiteral("create-server takes one argument: the server URI "
                                             "(postgresql://user@host:port/database)"));
        return createServer(serverUriOf(rest[0]));
    }
    if (command == QLatin1String("migrate")) {
        if (rest.size() != 2 || !isServerDataSource(rest[1]))
            return usageError(QStringLiteral("migrate takes two arguments: the database file and the server URI"));
        return migrate(rest[0], serverUriOf(rest[1]));
    }
    if (command == QLatin1String("backup")) {
        if (rest.size() != 2)
            return usageError(QStringLiteral("backup takes two arguments: the database file and the new copy"));
        return backup(rest[0], rest[1]);
    }
    if (command == QLatin1String("check")) {
        if (rest.size() != 1)
            return usageError(QStringLiteral("check takes one argument: the database file"));
        return check(rest[0]);
    }
    if (command == QLatin1String("export-items") || command == QLatin1String("import-items")) {
        const bool exporting = command == QLatin1String("export-items");
        const bool option = takeOption(rest, exporting ? QStringLiteral("--bom") : QStringLiteral("--force"));
        if (rest.size() != 2)
            return usageError(
                QStringLiteral("%1 takes two arguments: the database file and the CSV file").arg(command));
        return exporting ? exportItems(rest[0], rest[1], option) : importItems(rest[0], rest[1], option);
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
        if (const QString advice = adviceFor(error); !advice.isEmpty())
            printError(QStringLiteral("what to do: ") + advice);
    } catch (const std::exception& error) {
        printError(QString::fromLocal8Bit(error.what()));
    }
    return Failure;
}
