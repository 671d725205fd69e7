// The test window's two busy moments beside the bare SQLite work they stand on, on the same file on disk in the
// same run: registering a participant in a file that already holds 10,000 participant tables, and one answer
// (click, stored with the file's durability, next item shown). Pairs share a name stem: <Stem>/Window and
// <Stem>/Bare.

#include "bench/RunBenchmarks.h"
#include "bench/TestWindowSteps.h"
#include "data/DataModule.h"
#include "data/ZarkU.h"
#include "dialogs/MessageFrm.h"
#include "testing/NewTestForm.h"
#include "tools/ItemStore.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int participantTables = 10000;

QTemporaryDir& workDir()
{
    // Beside the program in the build folder, on the disk: the durability measured is the disk's, which a
    // temporary folder in memory would hide.
    static QTemporaryDir dir(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("work-XXXXXX")));
    return dir;
}

QString databaseFile()
{
    return QDir(workDir().path()).filePath(QStringLiteral("Ravlen.mdb"));
}

// A handle on the file with the settings the data layer opens it with.
class RawDb
{
public:
    RawDb()
    {
        if (sqlite3_open_v2(databaseFile().toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open the benchmark database");
        sqlite3_busy_timeout(m_db, 5000);
        // The schema names the layer's text order; creating and copying tables never compares by it.
        sqlite3_create_collation(m_db, "PERSIAN", SQLITE_UTF8, nullptr, &bytewise);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
    }
    ~RawDb() { sqlite3_close_v2(m_db); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    void exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string text = error ? error : "unknown error";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + text);
        }
    }
    sqlite3* handle() const { return m_db; }

private:
    static int bytewise(void*, int n1, const void* a, int n2, const void* b)
    {
        const int r = std::memcmp(a, b, size_t(std::min(n1, n2)));
        return r != 0 ? r : n1 - n2;
    }

    sqlite3* m_db = nullptr;
};

std::string questionsColumns(RawDb& db)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.handle(), "SELECT sql FROM sqlite_master WHERE name = 'Questions'", -1, &st, nullptr);
    std::string definition;
    if (sqlite3_step(st) == SQLITE_ROW)
        definition = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return definition.substr(definition.find('('));
}

std::string freshName()
{
    return RandomLetters(15).toStdString();
}

// The bundled items, and 10,000 participants each with a question table, written in one go.
void makeDatabase()
{
    ItemStore::createDatabase(databaseFile(), ItemStore::bundledItems());
    RawDb db;
    const std::string columns = questionsColumns(db);
    db.exec("BEGIN");
    for (int fileNo = 1; fileNo <= participantTables; ++fileNo) {
        const std::string name = freshName();
        db.exec("CREATE TABLE " + name + " " + columns);
        db.exec("INSERT INTO " + name + " SELECT * FROM Questions");
        db.exec("INSERT INTO Profiles VALUES (" + std::to_string(fileNo) + ", '1404/01/01', 'نام', 'نام خانوادگي', 30, 1, 3, '" +
                name + "', 0)");
    }
    db.exec("COMMIT");
}

// The program around the window: the data module on the file and the test window shown.
struct Program
{
    TData data;
    TfrmNewTest window;

    Program()
    {
        QDir::setCurrent(workDir().path());
        Data = &data;
        data.ConnectToWorkingDirectoryDatabase();
        frmNewTest = &window;
        window.setOuterHeight(175);
        window.show();
    }
    ~Program()
    {
        frmNewTest = nullptr;
        Data = nullptr;
    }

    template <typename T> T* find(const char* name) { return window.findChild<T*>(QLatin1String(name)); }

    // A new participant's details typed and looked up, ready for Start.
    void prepareNewParticipant(int fileNo) { typeNewParticipant(window, fileNo); }
};

Program& program()
{
    static Program* p = [] {
        makeDatabase();
        return new Program;
    }();
    return *p;
}

int nextFileNo()
{
    static int fileNo = participantTables;
    return ++fileNo;
}

void Registration_Window(benchmark::State& state)
{
    Program& p = program();
    for (auto _ : state) {
        state.PauseTiming();
        p.prepareNewParticipant(nextFileNo());
        SysMessageSeam::setNextAnswer(1);
        state.ResumeTiming();
        p.window.btStartClick();
        QApplication::processEvents();
    }
    if (!p.window.isTestRunning())
        state.SkipWithError("the question panel did not open");
}

void Registration_Bare(benchmark::State& state)
{
    program();
    RawDb db;
    const std::string columns = questionsColumns(db);
    sqlite3_stmt* exists = nullptr;
    sqlite3_prepare_v2(db.handle(),
                       "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE", -1,
                       &exists, nullptr);
    for (auto _ : state) {
        std::string name;
        db.exec("BEGIN IMMEDIATE");
        do {
            name = freshName();
            sqlite3_reset(exists);
            sqlite3_bind_text(exists, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        } while (sqlite3_step(exists) == SQLITE_ROW);
        db.exec("INSERT INTO Profiles VALUES (" + std::to_string(nextFileNo()) +
                ", '1405/09/19', 'سارا', 'احمدي', 25, 0, 3, '" + name + "', 0)");
        db.exec("CREATE TABLE " + name + " " + columns);
        db.exec("INSERT INTO " + name + " SELECT * FROM Questions WHERE Row>=0");
        db.exec("COMMIT");
    }
    sqlite3_finalize(exists);
}

void Answer_Window(benchmark::State& state)
{
    Program& p = program();
    p.prepareNewParticipant(nextFileNo());
    SysMessageSeam::setNextAnswer(1);
    p.window.btStartClick();
    QPushButton* buttons[] = {p.find<QPushButton>("btSoSo"), p.find<QPushButton>("btAgree")};
    int i = 0;
    for (auto _ : state) {
        // Alternating answers: on the last item, where the cursor stays, every click still changes the row.
        QTest::mouseClick(buttons[++i % 2], Qt::LeftButton);
        QApplication::processEvents();
    }
}

void Answer_Bare(benchmark::State& state)
{
    program();
    RawDb db;
    const std::string table = Data->tbQuestions.tableName().toStdString();
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db.handle(), ("UPDATE " + table + " SET Answer = ?1, Score = ?2 WHERE Row = ?3").c_str(), -1,
                       &update, nullptr);
    int i = 0;
    for (auto _ : state) {
        ++i;
        sqlite3_reset(update);
        // Each pass over the items writes the other value, so every update changes its row.
        const double answer = 3 + (i / 90) % 2;
        sqlite3_bind_double(update, 1, answer);
        sqlite3_bind_double(update, 2, answer);
        sqlite3_bind_int(update, 3, 1 + i % 90);
        if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(db.handle()) != 1)
            state.SkipWithError("the update changed no row");
    }
    sqlite3_finalize(update);
}

} // namespace

BENCHMARK(Registration_Window)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(Registration_Bare)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(Answer_Window)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(Answer_Bare)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setLayoutDirection(Qt::RightToLeft);
    return runBenchmarks(argc, argv);
}
