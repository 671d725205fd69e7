// The data layer beside the bare SQLite work it stands on, on the same files in the same run. Pairs share a name
// stem: <Stem>/Layer and <Stem>/Bare (and /QSqlQuery where that peer is telling too).

#include "bench/RunBenchmarks.h"
#include "data/DataModule.h"
#include "data/DataSet.h"
#include "data/DbConnection.h"
#include "data/Schema.h"
#include "data/ZarkU.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int profileCount = 100000;
constexpr int participantTables = 10000;
constexpr int itemCount = 90;

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString nameFor(QRandomGenerator& g)
{
    static const QString letters = QStringLiteral("ابپتثجچحخدذرزژسشصضطظعغفقکگلمنوهي");
    QString s;
    const int n = 3 + int(g.bounded(6));
    for (int i = 0; i < n; ++i)
        s += letters[int(g.bounded(letters.size()))];
    return s;
}

// The participant question table the answers are posted to.
const QString& answerTable()
{
    static const QString name = QStringLiteral("ABCDEFGHIJKLMNO");
    return name;
}

void fillQuestions(DbConnection& db)
{
    db.execute(QStringLiteral("BEGIN"));
    for (int i = 1; i <= itemCount; ++i)
        db.execute(QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question) VALUES "
                                  "('مقياس %1', 'زير مقياس %2', %3, 'سوال شماره %4')")
                       .arg(i % 5)
                       .arg(i % 15)
                       .arg(i % 3 ? 1 : 0)
                       .arg(i));
    db.execute(QStringLiteral("COMMIT"));
}

// 100,000 profiles; numbers 1..100000 written in a shuffled order so sorting has work to do.
const QString& profilesFile()
{
    static const QString file = [] {
        const QString f = QDir(workDir().path()).filePath(QStringLiteral("profiles.mdb"));
        Schema::createDatabaseFile(f);
        DbConnection db;
        db.setConnectionString(JetConnectionString(f, QString()));
        db.open();
        fillQuestions(db);
        db.execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0").arg(answerTable()));
        std::vector<int> numbers(profileCount);
        for (int i = 0; i < profileCount; ++i)
            numbers[size_t(i)] = i + 1;
        QRandomGenerator g(7);
        for (int i = profileCount - 1; i > 0; --i)
            std::swap(numbers[size_t(i)], numbers[size_t(g.bounded(i + 1))]);
        sqlite3* h = nullptr;
        sqlite3_open(f.toUtf8().constData(), &h);
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "INSERT INTO Profiles VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)", -1, &st, nullptr);
        for (int n : numbers) {
            const QByteArray date = QStringLiteral("14%1/%2/%3")
                                        .arg(g.bounded(10), 2, 10, QLatin1Char('0'))
                                        .arg(1 + g.bounded(12), 2, 10, QLatin1Char('0'))
                                        .arg(1 + g.bounded(29), 2, 10, QLatin1Char('0'))
                                        .toUtf8();
            const QByteArray fn = nameFor(g).toUtf8();
            const QByteArray ln = nameFor(g).toUtf8();
            // Every profile has its question table, as registration leaves it; a missing one would be
            // repaired at the first connect, 100,000 tables made before anything is measured.
            const QByteArray qt = answerTable().toUtf8();
            sqlite3_bind_int(st, 1, n);
            sqlite3_bind_text(st, 2, date.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, fn.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 4, ln.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 5, 15 + int(g.bounded(60)));
            sqlite3_bind_int(st, 6, int(g.bounded(2)));
            sqlite3_bind_int(st, 7, int(g.bounded(8)));
            sqlite3_bind_text(st, 8, qt.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 9, int(g.bounded(2)));
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        // A name and gender the search benchmark looks for: 20 profiles.
        sqlite3_exec(h, "UPDATE Profiles SET FName = 'نرگس', Gender = 0 WHERE FileNo % 5000 = 0", nullptr, nullptr,
                     nullptr);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(h);
        return f;
    }();
    return file;
}

// 10,000 participant tables of 90 items each, with their profiles.
const QString& registrationFile()
{
    static const QString file = [] {
        const QString f = QDir(workDir().path()).filePath(QStringLiteral("registration.mdb"));
        Schema::createDatabaseFile(f);
        DbConnection db;
        db.setConnectionString(JetConnectionString(f, QString()));
        db.open();
        fillQuestions(db);
        db.close();
        sqlite3* h = nullptr;
        sqlite3_open(f.toUtf8().constData(), &h);
        char* defs = nullptr;
        std::string create;
        {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(h, "SELECT sql FROM sqlite_master WHERE name = 'Questions'", -1, &st, nullptr);
            sqlite3_step(st);
            const std::string sql = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            create = sql.substr(sql.find('('));
            sqlite3_finalize(st);
        }
        (void)defs;
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        RandomLettersGenerator().seed(11);
        for (int i = 0; i < participantTables; ++i) {
            const std::string name = RandomLetters(15).toStdString();
            const std::string sql = "CREATE TABLE " + name + " " + create + "; INSERT INTO " + name +
                                    " SELECT * FROM Questions; INSERT INTO Profiles VALUES (" + std::to_string(i + 1) +
                                    ", '1402/01/01', 'نام', 'خانوادگي', 30, 1, 3, '" + name + "', 1);";
            sqlite3_exec(h, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(h);
        return f;
    }();
    return file;
}

// The bare peer: the engine opened the way the layer opens it (WAL, full sync, the collation the schema names).
struct Bare
{
    sqlite3* h = nullptr;
    DbConnection keepCollation; // the layer registers the Persian collation on its handle; borrow that handle
    explicit Bare(const QString& file)
    {
        keepCollation.setConnectionString(JetConnectionString(file, QString()));
        keepCollation.open();
        h = *static_cast<sqlite3* const*>(keepCollation.database().driver()->handle().constData());
    }
};

struct ProfileRow
{
    int fileNo;
    std::string date, fname, lname;
    int age, gender, grade;
    std::string qtable;
    bool completed;
};

std::string text(sqlite3_stmt* st, int c)
{
    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, c)), size_t(sqlite3_column_bytes(st, c)));
}

// --- open tbProfiles with 100,000 profiles ------------------------------------------------------------------------

void OpenProfiles_Layer(benchmark::State& state)
{
    TData data;
    data.ConnectToDatabase(profilesFile());
    for (auto _ : state) {
        data.tbProfiles.close();
        data.tbProfiles.open();
        benchmark::DoNotOptimize(data.tbProfiles.recordCount());
    }
    state.SetItemsProcessed(state.iterations() * profileCount);
}

void OpenProfiles_Bare(benchmark::State& state)
{
    Bare b(profilesFile());
    for (auto _ : state) {
        std::vector<ProfileRow> rows;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(b.h, "SELECT rowid, * FROM Profiles", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            rows.push_back({sqlite3_column_int(st, 1), text(st, 2), text(st, 3), text(st, 4), sqlite3_column_int(st, 5),
                            sqlite3_column_int(st, 6), sqlite3_column_int(st, 7), text(st, 8),
                            sqlite3_column_int(st, 9) != 0});
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(rows.size());
    }
    state.SetItemsProcessed(state.iterations() * profileCount);
}

void OpenProfiles_QSqlQuery(benchmark::State& state)
{
    DbConnection db;
    db.setConnectionString(JetConnectionString(profilesFile(), QString()));
    db.open();
    for (auto _ : state) {
        std::vector<QVariant> values;
        QSqlQuery q(db.database());
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT rowid, * FROM Profiles"));
        while (q.next())
            for (int c = 0; c < 10; ++c)
                values.push_back(q.value(c));
        benchmark::DoNotOptimize(values.size());
    }
    state.SetItemsProcessed(state.iterations() * profileCount);
}

// Memory the open cursor holds: heap in use before and after opening, and once the calculated fields of every row
// have been computed too (a filter on one of them does that).
double heapMb()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd) / (1024.0 * 1024.0); // small blocks and mapped ones
}

long residentKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return 0;
}

void ProfilesCursorMemory(benchmark::State& state)
{
    for (auto _ : state) {
        TData data;
        data.ConnectToDatabase(profilesFile());
        data.tbProfiles.close();
        const double before = heapMb();
        data.tbProfiles.open();
        const double opened = heapMb();
        data.tbProfiles.setFilter(QStringLiteral("GenderText='مونث'"));
        data.tbProfiles.setFiltered(true);
        const double withCalc = heapMb();
        state.counters["open_MB"] = opened - before;
        state.counters["with_calc_MB"] = withCalc - before;
        state.counters["peak_process_MB"] = double(residentKb("VmHWM:")) / 1024.0;
    }
}

// --- a search filter over them --------------------------------------------------------------------------------

const QString searchFilter = QStringLiteral("(FName='نرگس') And (Gender=0)");

void SearchFilter_Layer(benchmark::State& state)
{
    TData data;
    data.ConnectToDatabase(profilesFile());
    data.tbProfiles.setIndexFieldNames(QStringLiteral("FileNo"));
    data.tbProfiles.setFiltered(true);
    for (auto _ : state) {
        data.tbProfiles.setFilter(searchFilter);
        benchmark::DoNotOptimize(data.tbProfiles.recordCount());
        state.PauseTiming();
        data.tbProfiles.setFilter(QString());
        state.ResumeTiming();
    }
    if (data.tbProfiles.recordCount() != profileCount)
        state.SkipWithError("filter did not clear");
}

void SearchFilter_Bare(benchmark::State& state)
{
    Bare b(profilesFile());
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(b.h, "SELECT rowid FROM Profiles WHERE (FName = ?1) AND (Gender = 0) ORDER BY FileNo", -1, &st,
                       nullptr);
    const QByteArray name = QStringLiteral("نرگس").toUtf8();
    for (auto _ : state) {
        std::vector<sqlite3_int64> ids;
        sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_STATIC);
        while (sqlite3_step(st) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(st, 0));
        sqlite3_reset(st);
        if (ids.size() != 20)
            state.SkipWithError("unexpected match count");
    }
    sqlite3_finalize(st);
}

// --- locate by FileNo -----------------------------------------------------------------------------------------

void LocateFileNo_Layer(benchmark::State& state)
{
    TData data;
    data.ConnectToDatabase(profilesFile());
    data.tbProfiles.setIndexFieldNames(QStringLiteral("FileNo"));
    QRandomGenerator g(3);
    for (auto _ : state) {
        const int n = 1 + int(g.bounded(profileCount));
        if (!data.tbProfiles.locate(QStringLiteral("FileNo"), n))
            state.SkipWithError("not found");
    }
}

void LocateFileNo_Bare(benchmark::State& state)
{
    Bare b(profilesFile());
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(b.h, "SELECT rowid, * FROM Profiles WHERE FileNo = ?1", -1, &st, nullptr);
    QRandomGenerator g(3);
    for (auto _ : state) {
        sqlite3_bind_int(st, 1, 1 + int(g.bounded(profileCount)));
        if (sqlite3_step(st) != SQLITE_ROW)
            state.SkipWithError("not found");
        benchmark::DoNotOptimize(sqlite3_column_int(st, 1));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// --- registration with 10,000 participant tables --------------------------------------------------------------

int nextFileNo = participantTables + 1;

void Registration_Layer(benchmark::State& state)
{
    TData data;
    data.ConnectToDatabase(registrationFile());
    data.tbProfiles.setIndexFieldNames(QStringLiteral("FileNo"));
    for (auto _ : state) {
        QString name;
        do
            name = RandomLetters(15);
        while (TableExists(name, data.Database));
        // One unit of work, as the test window registers: the profile and its copy of the items, or neither.
        data.Database.inTransaction(QStringLiteral("Cannot register"), [&] {
            data.tbProfiles.insertRecord({nextFileNo++, QStringLiteral("1402/01/01"), QStringLiteral("نام"),
                                          QStringLiteral("خانوادگي"), 30, 1, 3, name, false});
            data.sqlCommand.setCommandText(QStringLiteral("SELECT * INTO ") + name +
                                           QStringLiteral(" FROM Questions Where Row>=0"));
            data.sqlCommand.execute();
        });
    }
}

void Registration_Bare(benchmark::State& state)
{
    Bare b(registrationFile());
    std::string defs;
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(b.h, "SELECT sql FROM sqlite_master WHERE name = 'Questions'", -1, &st, nullptr);
        sqlite3_step(st);
        const std::string sql = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        defs = sql.substr(sql.find('('));
        sqlite3_finalize(st);
    }
    sqlite3_stmt* exists = nullptr;
    sqlite3_prepare_v2(b.h, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE",
                       -1, &exists, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(b.h, "INSERT INTO Profiles VALUES (?1, '1402/01/01', 'نام', 'خانوادگي', 30, 1, 3, ?2, 0)", -1,
                       &insert, nullptr);
    for (auto _ : state) {
        std::string name;
        for (;;) {
            name = RandomLetters(15).toStdString();
            sqlite3_bind_text(exists, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            const bool found = sqlite3_step(exists) == SQLITE_ROW;
            sqlite3_reset(exists);
            if (!found)
                break;
        }
        sqlite3_exec(b.h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int(insert, 1, nextFileNo++);
        sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        const std::string copy = "CREATE TABLE " + name + " " + defs + "; INSERT INTO " + name +
                                 " SELECT * FROM Questions WHERE Row>=0; COMMIT;";
        if (sqlite3_exec(b.h, copy.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            state.SkipWithError(sqlite3_errmsg(b.h));
    }
    sqlite3_finalize(exists);
    sqlite3_finalize(insert);
}

// --- one edit and post of an answer ---------------------------------------------------------------------------

void PostAnswer_Layer(benchmark::State& state)
{
    TData data;
    data.ConnectToDatabase(profilesFile());
    data.tbQuestions.setIndexFieldNames(QStringLiteral("Row"));
    data.OpenQuestionTable(answerTable());
    int i = 0;
    for (auto _ : state) {
        // Each pass over the items gives every item another answer, so every post really writes.
        data.tbQuestions.setRecNo(1 + i % itemCount);
        const int a = 1 + (i / itemCount) % 5;
        data.tbQuestions.edit();
        data.tbQuestions.setFieldValue(QStringLiteral("Answer"), a);
        data.tbQuestions.setFieldValue(QStringLiteral("Score"), IfThenVar(i % 2 == 0, a, 6 - a));
        data.tbQuestions.post();
        ++i;
    }
}

void PostAnswer_Bare(benchmark::State& state)
{
    Bare b(profilesFile());
    sqlite3_stmt* st = nullptr;
    const std::string update =
        "UPDATE " + answerTable().toStdString() + " SET Answer = ?1, Score = ?2 WHERE Row = ?3";
    sqlite3_prepare_v2(b.h, update.c_str(), -1, &st, nullptr);
    int i = 0;
    for (auto _ : state) {
        const int a = 1 + (i / itemCount) % 5;
        sqlite3_bind_double(st, 1, a);
        sqlite3_bind_double(st, 2, i % 2 == 0 ? a : 6 - a);
        sqlite3_bind_int(st, 3, 1 + i % itemCount);
        if (sqlite3_step(st) != SQLITE_DONE)
            state.SkipWithError(sqlite3_errmsg(b.h));
        sqlite3_reset(st);
        ++i;
    }
    sqlite3_finalize(st);
}

} // namespace

BENCHMARK(OpenProfiles_Layer)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenProfiles_Bare)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenProfiles_QSqlQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(ProfilesCursorMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFilter_Layer)->Unit(benchmark::kMicrosecond);
BENCHMARK(SearchFilter_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(LocateFileNo_Layer)->Unit(benchmark::kMicrosecond);
BENCHMARK(LocateFileNo_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(Registration_Layer)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(Registration_Bare)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(PostAnswer_Layer)->Unit(benchmark::kMicrosecond);
BENCHMARK(PostAnswer_Bare)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
