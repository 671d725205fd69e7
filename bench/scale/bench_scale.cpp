// The program at a clinic's scale: files with 1,000, 10,000 and 50,000 participants (and a server database with
// 10,000), each step measured beside its baseline on the same data in the same run. Names read
// <Step>/<engine>/<participants>/<side>; the pairs to compare share everything but the side.
//
//   Start      the real ravlen executable from process start to its first paint after connecting (Program),
//              against the engine's own first read by its shell: sqlite3 or psql counting Profiles (Shell)
//   Connect    the data module's connect step in this process, against a fresh connection's first count
//   FileNo     tbProfiles' equality filter and locate by file number, against the engine's indexed SELECT
//   Search     the search window's search by file number, against its search with no criterion
//   Lookup     the test window's and the results window's look-up of a participant by file number
//   Register   the test window's Start for a new participant, against the bare profile insert, table copy and
//              commit on a connection of its own
//   Answer     one click on an answer button until the next item shows, against the bare durable UPDATE
//   Report     the charts report prepared and written as PDF
//   Tool       ravlen-db check, backup and export-results (CSV) as processes (migrate too, on the server)
//
// Every figure is the median of 5 repetitions after one discarded run, with the machine's one-minute load
// ("load") beside it; the processes also give their peak resident memory ("peak_MB"). Select sizes or engines
// with --benchmark_filter (e.g. '/sqlite/(1000|10000)/'); the 50,000-participant file is only made when asked for.

#include "bench/RunBenchmarks.h"
#include "bench/TestWindowSteps.h"
#include "bench/scale/ChildProcess.h"
#include "bench/scale/ScaleFiles.h"
#include "data/DataModule.h"
#include "data/ZarkU.h"
#include "dialogs/AppFonts.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/NumericEdit.h"
#include "results/ChartsReport.h"
#include "results/ReportRenderer.h"
#include "results/ResultForm.h"
#include "results/SearchForm.h"
#include "testing/NewTestForm.h"
#include "tests/support/PgCluster.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

constexpr int repetitions = 5;

// Where the measured program finds its data: a folder with Ravlen.mdb, or with Ravlen.server naming the server.
struct Source
{
    QString engine; // "sqlite" or "server"
    int participants = 0;
    QString folder;
    QString location; // the file's path or the server's URI

    bool server() const { return engine == QLatin1String("server"); }
};

const Source& fileSource(int participants)
{
    static std::map<int, Source> sources; // references stay valid while others are added
    if (!sources.count(participants)) {
        const QString folder = ScaleFiles::workingFolder(participants);
        sources[participants] = {QStringLiteral("sqlite"), participants, folder,
                                 QDir(folder).filePath(QStringLiteral("Ravlen.mdb"))};
    }
    return sources[participants];
}

const Source& serverSource(int participants)
{
    static std::map<int, Source> sources;
    static std::map<int, std::shared_ptr<QTemporaryDir>> folders;
    if (!sources.count(participants)) {
        const QString uri = PgCluster::instance().createDatabase();
        ScaleFiles::fillServer(uri, participants);
        auto folder = std::make_shared<QTemporaryDir>();
        QFile pointer(QDir(folder->path()).filePath(QStringLiteral("Ravlen.server")));
        if (!pointer.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write Ravlen.server");
        pointer.write(uri.toUtf8() + '\n');
        folders[participants] = folder;
        sources[participants] = {QStringLiteral("server"), participants, folder->path(), uri};
    }
    return sources[participants];
}

const Source& sourceFor(const QString& engine, int participants)
{
    return engine == QLatin1String("server") ? serverSource(participants) : fileSource(participants);
}

// File numbers looked up, spread over the whole file, every one a participant who completed.
int fileNoAt(int lookUp, int participants)
{
    int fileNo = 1 + int((qint64(lookUp) * 7919) % participants);
    while (!ScaleFiles::completed(fileNo))
        fileNo = fileNo % participants + 1;
    return fileNo;
}

// Figures every benchmark reports beside its time.
void noteLoad(benchmark::State& state)
{
    state.counters["load"] = machineLoad1();
}

// The first run of each process benchmark is not measured: it warms the disk cache. (The others have the
// runner's warm-up.)
bool firstRun(const std::string& name)
{
    static QSet<QString> seen;
    const QString key = QString::fromStdString(name);
    if (seen.contains(key))
        return false;
    seen.insert(key);
    return true;
}

// ---- The program's data module and windows in this process ------------------------------------------------------

// One at a time: the windows are the program's single instances, reachable through their globals.
class InProcess
{
public:
    explicit InProcess(const Source& source) : m_source(source)
    {
        QDir::setCurrent(source.folder);
        Data = &m_data;
        m_data.ConnectToWorkingDirectoryDatabase();
        m_newTest = std::make_unique<TfrmNewTest>();
        frmNewTest = m_newTest.get();
        m_result = std::make_unique<TfrmResult>();
        frmResult = m_result.get();
        m_search = std::make_unique<TfrmSearch>();
        frmSearch = m_search.get();
        m_newTest->setOuterHeight(175);
        m_newTest->show();
        m_result->show();
    }
    ~InProcess()
    {
        frmSearch = nullptr;
        m_search.reset();
        frmResult = nullptr;
        m_result.reset();
        frmNewTest = nullptr;
        m_newTest.reset();
        Data = nullptr;
    }
    InProcess(const InProcess&) = delete;
    InProcess& operator=(const InProcess&) = delete;

    const Source& source() const { return m_source; }
    TData& data() { return m_data; }
    TfrmNewTest& newTest() { return *m_newTest; }
    TfrmResult& result() { return *m_result; }
    TfrmSearch& search() { return *m_search; }

    // File numbers of participants this run registers: above every generated one.
    int nextNewFileNo() { return 10 * m_source.participants + ++m_registered; }

private:
    Source m_source;
    TData m_data;
    std::unique_ptr<TfrmNewTest> m_newTest;
    std::unique_ptr<TfrmResult> m_result;
    std::unique_ptr<TfrmSearch> m_search;
    int m_registered = 0;
};

std::unique_ptr<InProcess>& inProcessSlot()
{
    static std::unique_ptr<InProcess> slot;
    return slot;
}

InProcess& inProcess(const Source& source)
{
    std::unique_ptr<InProcess>& slot = inProcessSlot();
    if (!slot || slot->source().location != source.location) {
        slot.reset();
        slot = std::make_unique<InProcess>(source);
    }
    return *slot;
}

// The processes below must not find this process holding the file.
void leaveInProcess()
{
    inProcessSlot().reset();
}

// ---- The engines' own side ------------------------------------------------------------------------------------

// A fresh connection of the engine alone, opened as the program opens the file (write-ahead log, full sync).
class BareSqlite
{
public:
    explicit BareSqlite(const QString& file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + file.toStdString());
        sqlite3_busy_timeout(m_h, 5000);
        exec("PRAGMA synchronous=FULL");
    }
    ~BareSqlite() { sqlite3_close_v2(m_h); }
    BareSqlite(const BareSqlite&) = delete;
    BareSqlite& operator=(const BareSqlite&) = delete;

    bool exec(const std::string& sql, std::string* error = nullptr)
    {
        char* message = nullptr;
        const bool ok = sqlite3_exec(m_h, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
        if (!ok && error)
            *error = message ? message : "unknown error";
        sqlite3_free(message);
        return ok;
    }
    sqlite3_stmt* prepare(const std::string& sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_h, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_h));
        return st;
    }
    std::string text(const std::string& sql)
    {
        sqlite3_stmt* st = prepare(sql);
        std::string value;
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            value = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return value;
    }
    sqlite3* handle() const { return m_h; }

private:
    sqlite3* m_h = nullptr;
};

class BarePg
{
public:
    explicit BarePg(const QString& uri) : m_conn(PQconnectdb(uri.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw std::runtime_error(std::string("cannot connect: ") + PQerrorMessage(m_conn));
    }
    ~BarePg() { PQfinish(m_conn); }
    BarePg(const BarePg&) = delete;
    BarePg& operator=(const BarePg&) = delete;

    // The first column of the first row; throws on a failed command.
    std::string run(const std::string& sql, const std::vector<std::string>& parameters = {})
    {
        std::vector<const char*> values;
        for (const std::string& p : parameters)
            values.push_back(p.c_str());
        PGresult* r = PQexecParams(m_conn, sql.c_str(), int(values.size()), nullptr, values.data(), nullptr,
                                   nullptr, 0);
        const ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const std::string error = PQresultErrorMessage(r);
            PQclear(r);
            throw std::runtime_error(sql + ": " + error);
        }
        std::string value = PQntuples(r) > 0 && PQnfields(r) > 0 ? PQgetvalue(r, 0, 0) : "";
        // Every value is read, as a program would read the row.
        for (int c = 0; PQntuples(r) > 0 && c < PQnfields(r); ++c)
            benchmark::DoNotOptimize(PQgetvalue(r, 0, c));
        PQclear(r);
        return value;
    }

private:
    PGconn* m_conn;
};

// ---- Start ---------------------------------------------------------------------------------------------------

// One timed run per repetition of a process, after the discarded first one.
void timeProcess(benchmark::State& state, const std::string& name,
                 const std::function<ChildRun()>& start, const std::function<QString(const ChildRun&)>& fault)
{
    leaveInProcess();
    if (firstRun(name))
        start();
    double peak = 0;
    for (auto _ : state) {
        const ChildRun run = start();
        if (const QString problem = fault(run); !problem.isEmpty()) {
            state.SkipWithError(problem.toUtf8().constData());
            break;
        }
        state.SetIterationTime(run.secondsToLine >= 0 ? run.secondsToLine : run.seconds);
        peak = qMax(peak, run.peakMb);
    }
    state.counters["peak_MB"] = peak;
    noteLoad(state);
}

QString firstLine(const QByteArray& text)
{
    return QString::fromUtf8(text.trimmed()).section(QLatin1Char('\n'), 0, 0).left(300);
}

std::string key(const char* what, const QString& engine, int participants)
{
    return std::string(what) + '/' + engine.toStdString() + '/' + std::to_string(participants);
}

void Start_Program(benchmark::State& state, QString engine, int participants)
{
    const Source& source = sourceFor(engine, participants);
    timeProcess(
        state, key("Start/Program", engine, participants),
        [&] {
            return runChild(QStringLiteral(RAVLEN_EXE), {}, source.folder,
                            {QStringLiteral("RAVLEN_REPORT_FIRST_PAINT=1"), QStringLiteral("QT_QPA_PLATFORM=offscreen")},
                            "painted:");
        },
        [&](const ChildRun& run) {
            if (run.secondsToLine < 0)
                return QStringLiteral("no first paint: ") + firstLine(run.err);
            // The connect's work done: tbProfiles open with every participant (and those this run registered).
            const int rows = QString::fromUtf8(run.out).section(QLatin1Char(' '), 1, 1).toInt();
            if (rows < source.participants)
                return QStringLiteral("tbProfiles held %1 rows").arg(rows);
            return QString();
        });
}

void Start_Shell(benchmark::State& state, QString engine, int participants)
{
    const Source& source = sourceFor(engine, participants);
    const QString count = QStringLiteral("select count(*) from Profiles");
    timeProcess(
        state, key("Start/Shell", engine, participants),
        [&] {
            if (source.server())
                return runChild(QStringLiteral("/usr/bin/psql"), {QStringLiteral("-XAtc"), count, source.location},
                                source.folder);
            return runChild(QStringLiteral("/usr/bin/sqlite3"), {source.location, count}, source.folder);
        },
        [&](const ChildRun& run) {
            return run.exitCode == 0 && run.out.trimmed().toInt() >= source.participants
                       ? QString()
                       : QStringLiteral("the shell failed: ") + firstLine(run.err);
        });
}

// ---- Connect ---------------------------------------------------------------------------------------------------

void Connect_Layer(benchmark::State& state, QString engine, int participants)
{
    const Source& source = sourceFor(engine, participants);
    leaveInProcess();
    auto connect = [&] {
        TData data;
        data.ConnectToDatabase(source.location);
        return data.tbProfiles.recordCount();
    };
    for (auto _ : state)
        if (connect() < source.participants)
            state.SkipWithError("tbProfiles is short of participants");
    noteLoad(state);
}

void Connect_FirstRead(benchmark::State& state, QString engine, int participants)
{
    const Source& source = sourceFor(engine, participants);
    leaveInProcess();
    auto read = [&] {
        if (source.server())
            return std::stoi(BarePg(source.location).run("select count(*) from Profiles"));
        return std::stoi(BareSqlite(source.location).text("select count(*) from Profiles"));
    };
    for (auto _ : state)
        if (read() < source.participants)
            state.SkipWithError("Profiles is short of participants");
    noteLoad(state);
}

// ---- File number: filter, locate, indexed SELECT -------------------------------------------------------------

void FileNo_Filter(benchmark::State& state, QString engine, int participants)
{
    InProcess& p = inProcess(sourceFor(engine, participants));
    TableDataSet& profiles = p.data().tbProfiles;
    profiles.setFiltered(true);
    int i = 0;
    for (auto _ : state) {
        const int fileNo = fileNoAt(i++, participants);
        profiles.setFilter(QStringLiteral("FileNo=%1").arg(fileNo));
        if (profiles.recordCount() != 1 || profiles.fieldByName(QStringLiteral("FileNo")).asInteger() != fileNo)
            state.SkipWithError("the filter did not give the one profile");
    }
    profiles.setFilter(QString());
    profiles.setFiltered(false);
    noteLoad(state);
}

void FileNo_Locate(benchmark::State& state, QString engine, int participants)
{
    InProcess& p = inProcess(sourceFor(engine, participants));
    TableDataSet& profiles = p.data().tbProfiles;
    int i = 0;
    for (auto _ : state) {
        const int fileNo = fileNoAt(i++, participants);
        if (!profiles.locate(QStringLiteral("FileNo"), fileNo) ||
            profiles.fieldByName(QStringLiteral("FileNo")).asInteger() != fileNo)
            state.SkipWithError("locate did not find the profile");
    }
    noteLoad(state);
}

void FileNo_Select(benchmark::State& state, QString engine, int participants)
{
    const Source& source = sourceFor(engine, participants);
    int i = 0;
    if (source.server()) {
        BarePg db(source.location);
        for (auto _ : state)
            if (db.run("SELECT * FROM Profiles WHERE FileNo = $1", {std::to_string(fileNoAt(i++, participants))})
                    .empty())
                state.SkipWithError("not found");
    } else {
        BareSqlite db(source.location);
        sqlite3_stmt* st = db.prepare("SELECT rowid, * FROM Profiles WHERE FileNo = ?1");
        for (auto _ : state) {
            sqlite3_bind_int(st, 1, fileNoAt(i++, participants));
            if (sqlite3_step(st) != SQLITE_ROW)
                state.SkipWithError("not found");
            for (int c = 0; c < 10; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    }
    noteLoad(state);
}

// ---- The search window ----------------------------------------------------------------------------------------

void searchWith(benchmark::State& state, const Source& source, bool byFileNo)
{
    InProcess& p = inProcess(source);
    TfrmSearch& window = p.search();
    window.show();
    while (!window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    auto* fileNo = window.findChild<QLineEdit*>(QStringLiteral("edFileNo"));
    auto* search = window.findChild<QPushButton*>(QStringLiteral("btReturn"));
    QWidget* rows = window.findChild<QTableView*>(QStringLiteral("RzDBGrid2"))->viewport();
    window.findChild<QLineEdit*>(QStringLiteral("edLName"))->clear();
    window.findChild<QComboBox*>(QStringLiteral("cbGender"))->setCurrentIndex(0);
    window.findChild<QComboBox*>(QStringLiteral("cbGrade"))->setCurrentIndex(0);
    int i = 0;
    for (auto _ : state) {
        const int wanted = fileNoAt(i++, source.participants);
        state.PauseTiming();
        fileNo->setText(byFileNo ? QString::number(wanted) : QString());
        state.ResumeTiming();
        search->click();
        rows->repaint();
        const int found = p.data().tbProfiles.recordCount();
        if (byFileNo ? found != 1 : found < source.participants)
            state.SkipWithError("the search found the wrong rows");
    }
    window.RzBitBtn1Click();
    noteLoad(state);
}

void Search_FileNo(benchmark::State& state, QString engine, int participants)
{
    searchWith(state, sourceFor(engine, participants), true);
}

void Search_NoCriterion(benchmark::State& state, QString engine, int participants)
{
    searchWith(state, sourceFor(engine, participants), false);
}

// ---- Look-ups ---------------------------------------------------------------------------------------------------

void Lookup_TestWindow(benchmark::State& state, QString engine, int participants)
{
    InProcess& p = inProcess(sourceFor(engine, participants));
    TfrmNewTest& window = p.newTest();
    leaveRunningTest(window);
    auto* fileNo = window.findChild<NumericEdit*>(QStringLiteral("edFileNo"));
    auto* fName = window.findChild<QLineEdit*>(QStringLiteral("edFName"));
    int i = 0;
    for (auto _ : state) {
        const int wanted = fileNoAt(i++, participants);
        fileNo->setValue(wanted);
        window.edFileNoExit();
        QApplication::processEvents();
        if (fName->text().isEmpty() || p.data().tbProfiles.fieldByName(QStringLiteral("FileNo")).asInteger() != wanted)
            state.SkipWithError("the look-up did not show the participant");
    }
    noteLoad(state);
}

// The results window looks a participant up; true when it showed them with their scores.
bool lookUpResults(InProcess& p, int fileNo)
{
    TfrmResult& window = p.result();
    window.findChild<QLineEdit*>(QStringLiteral("edFileNo"))->setText(QString::number(fileNo));
    window.btSearchClick();
    QApplication::processEvents();
    return window.findChild<QPushButton*>(QStringLiteral("btShowCharts"))->isEnabled() &&
           window.participantHeader().fileNo == fileNo;
}

void Lookup_ResultsWindow(benchmark::State& state, QString engine, int participants)
{
    InProcess& p = inProcess(sourceFor(engine, participants));
    int i = 0;
    for (auto _ : state)
        if (!lookUpResults(p, fileNoAt(i++, participants)))
            state.SkipWithError("the look-up did not show the scores");
    p.result().clearParticipant();
    noteLoad(state);
}

// ---- Registration ---------------------------------------------------------------------------------------------

void Register_Window(benchmark::State& state, QString engine, int participants)
{
    InProcess& p = inProcess(sourceFor(engine, participants));
    TfrmNewTest& window = p.newTest();
    auto registerOne = [&] {
        typeNewParticipant(window, p.nextNewFileNo());
        SysMessageSeam::setNextAnswer(1);
    };
    for (auto _ : state) {
        state.PauseTiming();
        registerOne();
        state.ResumeTiming();
        window.btStartClick();
        QApplication::processEvents();
        if (!window.isTestRunning())
            state.SkipWithError("the question panel did not open");
    }
    noteLoad(state);
}

void Register_Bare(benchmark::State& state, QString engine, int participants)
{
    const Source& source = sourceFor(engine, participants);
    InProcess& p = inProcess(source);
    auto name = [] { return RandomLetters(15).toStdString(); };
    std::string error;
    if (source.server()) {
        BarePg db(source.location);
        auto registerOne = [&](int fileNo) {
            const std::string table = name();
            db.run("BEGIN");
            db.run("INSERT INTO Profiles VALUES ($1, '1405/09/19', 'سارا', 'احمدي', 25, 0, 3, $2, false)",
                   {std::to_string(fileNo), table});
            db.run("SELECT * INTO " + table + " FROM Questions WHERE Row>=0");
            db.run("ALTER TABLE " + table + " ADD PRIMARY KEY (Row)");
            db.run("COMMIT");
        };
        for (auto _ : state)
            registerOne(p.nextNewFileNo());
    } else {
        BareSqlite db(source.location);
        const std::string definition = db.text("SELECT sql FROM sqlite_master WHERE name = 'Questions'");
        const std::string columns = definition.substr(definition.find('('));
        auto registerOne = [&](int fileNo) {
            const std::string table = name();
            return db.exec("BEGIN IMMEDIATE; INSERT INTO Profiles VALUES (" + std::to_string(fileNo) +
                               ", '1405/09/19', 'سارا', 'احمدي', 25, 0, 3, '" + table + "', 0); CREATE TABLE \"" +
                               table + "\" " + columns + "; INSERT INTO \"" + table +
                               "\" SELECT * FROM Questions WHERE Row>=0; COMMIT",
                           &error);
        };
        for (auto _ : state)
            if (!registerOne(p.nextNewFileNo())) {
                state.SkipWithError(error.c_str());
                break;
            }
    }
    noteLoad(state);
}

// ---- An answer ----------------------------------------------------------------------------------------------

// The test window with a test running on a participant registered by this run.
TfrmNewTest& testRunning(InProcess& p)
{
    TfrmNewTest& window = p.newTest();
    if (!window.isTestRunning()) {
        typeNewParticipant(window, p.nextNewFileNo());
        SysMessageSeam::setNextAnswer(1);
        window.btStartClick();
        QApplication::processEvents();
    }
    return window;
}

void Answer_Window(benchmark::State& state, QString engine, int participants)
{
    InProcess& p = inProcess(sourceFor(engine, participants));
    TfrmNewTest& window = testRunning(p);
    QPushButton* buttons[] = {window.findChild<QPushButton*>(QStringLiteral("btSoSo")),
                              window.findChild<QPushButton*>(QStringLiteral("btAgree"))};
    int i = 0;
    for (auto _ : state) {
        // Alternating answers: on the last item, where the cursor stays, every click still changes the row.
        QTest::mouseClick(buttons[++i % 2], Qt::LeftButton);
        QApplication::processEvents();
    }
    if (!window.isTestRunning())
        state.SkipWithError("the test stopped");
    noteLoad(state);
}

void Answer_Bare(benchmark::State& state, QString engine, int participants)
{
    const Source& source = sourceFor(engine, participants);
    InProcess& p = inProcess(source);
    testRunning(p);
    const std::string table = p.data().tbQuestions.tableName().toStdString();
    const std::string update = "UPDATE " + table + " SET Answer = $1, Score = $1 WHERE Row = $2";
    int i = 0;
    if (source.server()) {
        BarePg db(source.location);
        for (auto _ : state) {
            ++i;
            db.run(update, {std::to_string(3 + (i / 90) % 2), std::to_string(1 + i % 90)});
        }
    } else {
        BareSqlite db(source.location);
        sqlite3_stmt* st = db.prepare(update);
        for (auto _ : state) {
            ++i;
            // Each pass over the items writes the other value, so every update changes its row.
            sqlite3_bind_double(st, 1, 3 + (i / 90) % 2);
            sqlite3_bind_int(st, 2, 1 + i % 90);
            if (sqlite3_step(st) != SQLITE_DONE || sqlite3_changes(db.handle()) != 1)
                state.SkipWithError("the update changed no row");
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    }
    noteLoad(state);
}

// ---- The report -----------------------------------------------------------------------------------------------

void Report_Pdf(benchmark::State& state, QString engine, int participants)
{
    InProcess& p = inProcess(sourceFor(engine, participants));
    if (!lookUpResults(p, fileNoAt(0, participants))) {
        state.SkipWithError("the look-up did not show the scores");
        return;
    }
    QTemporaryDir folder;
    const QString pdf = QDir(folder.path()).filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        p.result().chartsReport().PrepareReport(p.data(), p.result().participantHeader());
        if (!Report::printToPdf(p.result().chartsReport().preparedReport(), pdf))
            state.SkipWithError("the PDF was not written");
    }
    p.result().clearParticipant();
    noteLoad(state);
}

// ---- The tool --------------------------------------------------------------------------------------------------

void Tool(benchmark::State& state, QString engine, int participants, QString command)
{
    const Source& source = sourceFor(engine, participants);
    QTemporaryDir out;
    // A file source for migrate: the same participants, to an empty server database each time.
    std::optional<Source> file;
    if (command == QLatin1String("migrate"))
        file = fileSource(participants);
    timeProcess(
        state, key("Tool", engine, participants) + command.toStdString(),
        [&] {
            const QString target = QDir(out.path()).filePath(command == QLatin1String("backup")
                                                                 ? QStringLiteral("copy.mdb")
                                                                 : QStringLiteral("results.csv"));
            QFile::remove(target);
            QStringList arguments{command};
            if (command == QLatin1String("migrate"))
                arguments << file->location << PgCluster::instance().createDatabase();
            else
                arguments << source.location;
            if (command == QLatin1String("backup") || command == QLatin1String("export-results"))
                arguments << target;
            return runChild(QStringLiteral(RAVLEN_DB_EXE), arguments, out.path());
        },
        [&](const ChildRun& run) {
            return run.exitCode == 0 ? QString()
                                     : QStringLiteral("failed (status %1): ").arg(run.exitCode) +
                                           firstLine(run.err.isEmpty() ? run.out : run.err);
        });
}

// ---- Registration of the table ---------------------------------------------------------------------------------

using Step = void (*)(benchmark::State&, QString, int);

void add(const char* stem, const char* side, Step step, const QString& engine, int participants, bool process)
{
    const std::string name = std::string(stem) + '/' + engine.toStdString() + '/' + std::to_string(participants) +
                             '/' + side;
    auto* b = benchmark::RegisterBenchmark(name.c_str(), step, engine, participants);
    b->Repetitions(repetitions)->DisplayAggregatesOnly(true);
    if (process)
        b->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
    else
        b->MinWarmUpTime(0.05)->Unit(benchmark::kMicrosecond);
}

void addAll(const QString& engine, int participants)
{
    // The processes first, while this process holds nothing open on the data.
    add("Start", "Program", Start_Program, engine, participants, true);
    add("Start", "Shell", Start_Shell, engine, participants, true);
    for (const char* command : {"check", "backup", "export-results"}) {
        const std::string name = std::string("Tool/") + engine.toStdString() + '/' + std::to_string(participants) +
                                 '/' + command;
        benchmark::RegisterBenchmark(name.c_str(), Tool, engine, participants, QString::fromLatin1(command))
            ->Repetitions(repetitions)
            ->DisplayAggregatesOnly(true)
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    if (engine == QLatin1String("server"))
        benchmark::RegisterBenchmark(("Tool/server/" + std::to_string(participants) + "/migrate").c_str(), Tool,
                                     engine, participants, QStringLiteral("migrate"))
            ->Repetitions(repetitions)
            ->DisplayAggregatesOnly(true)
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    add("Connect", "Layer", Connect_Layer, engine, participants, false);
    add("Connect", "FirstRead", Connect_FirstRead, engine, participants, false);
    add("FileNo", "Filter", FileNo_Filter, engine, participants, false);
    add("FileNo", "Locate", FileNo_Locate, engine, participants, false);
    add("FileNo", "Select", FileNo_Select, engine, participants, false);
    add("Search", "FileNo", Search_FileNo, engine, participants, false);
    add("Search", "NoCriterion", Search_NoCriterion, engine, participants, false);
    add("Lookup", "TestWindow", Lookup_TestWindow, engine, participants, false);
    add("Lookup", "ResultsWindow", Lookup_ResultsWindow, engine, participants, false);
    add("Register", "Window", Register_Window, engine, participants, false);
    add("Register", "Bare", Register_Bare, engine, participants, false);
    add("Answer", "Window", Answer_Window, engine, participants, false);
    add("Answer", "Bare", Answer_Bare, engine, participants, false);
    add("Report", "Pdf", Report_Pdf, engine, participants, false);
}

// The offscreen platform says on every dialog shown that it cannot raise it or pass size hints; the figures
// should not drown in that.
QtMessageHandler standardHandler = nullptr;

void dropPlatformChatter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        standardHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    standardHandler = qInstallMessageHandler(dropPlatformChatter);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    std::fprintf(stderr, "machine load at start: %s\n", qUtf8Printable(machineLoad()));
    for (int participants : {1000, 10000, 50000})
        addAll(QStringLiteral("sqlite"), participants);
    addAll(QStringLiteral("server"), 10000);
    const int status = runBenchmarks(argc, argv);
    leaveInProcess();
    std::fprintf(stderr, "machine load at end: %s\n", qUtf8Printable(machineLoad()));
    return status;
}
