// The server backend beside bare libpq doing the same work, on the same throwaway cluster in the same run.
// Pairs share a name stem: <Stem>_Backend and <Stem>_Bare.

#include "bench/RunBenchmarks.h"
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "data/ZarkU.h"
#include "tests/support/PgCluster.h"
#include "tests/support/PgRegistration.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int profileCount = 10000;
constexpr int itemCount = 90;
const char* const answerTable = "abcdefghijklmno";

// One database for the run: the schema, the items, 10,000 profiles and one participant table to answer into.
const QString& databaseUri()
{
    static const QString uri = [] {
        const QString made = PgCluster::instance().createDatabase();
        PgConnection db(made);
        db.open();
        PgBackend::createSchema(db);
        PgBackend::execute(db, QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question) "
                                              "SELECT 'مقياس ' || (i % 5), 'زير مقياس ' || (i % 15), i % 3 <> 0, "
                                              "'سوال شماره ' || i FROM generate_series(1, %1) i")
                                   .arg(itemCount));
        PgBackend::execute(db, QStringLiteral("INSERT INTO Profiles SELECT i, '1402/01/01', 'نام ' || i, "
                                              "'خانوادگي ' || i, 20 + i % 50, i % 2, i % 8, 'ABCDEFGHIJKLMNO', "
                                              "i % 3 = 0 FROM generate_series(1, %1) i")
                                   .arg(profileCount));
        PgBackend::executeStatement(db, QStringLiteral("SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0"));
        return made;
    }();
    return uri;
}

struct Bare
{
    PGconn* conn;
    Bare() : conn(PQconnectdb(databaseUri().toUtf8().constData())) {}
    ~Bare() { PQfinish(conn); }
    void run(const char* sql) { PQclear(PQexec(conn, sql)); }
};

void PostAnswer_Backend(benchmark::State& state)
{
    PgConnection db(databaseUri());
    db.open();
    const QString table = QString::fromLatin1(answerTable);
    const QStringList columns{QStringLiteral("Answer"), QStringLiteral("Score")};
    // The runner calls this more than once: every run starts from unanswered items.
    PgBackend::execute(db, QStringLiteral("UPDATE %1 SET Answer = 0, Score = 0").arg(table));
    std::vector<double> held(itemCount + 1, 0.0);
    int row = 0;
    for (auto _ : state) {
        row = row % itemCount + 1;
        const double answer = held[size_t(row)] == 5 ? 1 : held[size_t(row)] + 1;
        PgBackend::updateRow(db, table, row, columns, {answer, answer}, {held[size_t(row)], held[size_t(row)]});
        held[size_t(row)] = answer;
    }
}

void PostAnswer_Bare(benchmark::State& state)
{
    Bare b;
    const std::string sql = std::string("UPDATE ") + answerTable + " SET Answer = $1, Score = $2 WHERE Row = $3";
    PQclear(PQprepare(b.conn, "post", sql.c_str(), 3, nullptr));
    int row = 0;
    int answer = 0;
    for (auto _ : state) {
        row = row % itemCount + 1;
        answer = answer % 5 + 1;
        const std::string a = std::to_string(answer);
        const std::string r = std::to_string(row);
        const char* values[] = {a.c_str(), a.c_str(), r.c_str()};
        PQclear(PQexecPrepared(b.conn, "post", 3, values, nullptr, nullptr, 0));
    }
}

int nextFileNo = 1000000;

void Registration_Backend(benchmark::State& state)
{
    PgConnection db(databaseUri());
    db.open();
    for (auto _ : state)
        registerOnServer(db, nextFileNo++);
}

void Registration_Bare(benchmark::State& state)
{
    Bare b;
    PQclear(PQprepare(b.conn, "exists",
                      "SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = "
                      "current_schema() AND c.relkind IN ('r', 'p', 'v', 'm') AND lower(c.relname) = lower($1)",
                      1, nullptr));
    PQclear(PQprepare(b.conn, "insert",
                      "INSERT INTO Profiles VALUES ($1, '1402/01/01', 'نام', 'خانوادگي', 30, 1, 3, $2, false)", 2,
                      nullptr));
    for (auto _ : state) {
        std::string name;
        for (;;) {
            name = RandomLetters(15).toStdString();
            const char* values[] = {name.c_str()};
            PGresult* r = PQexecPrepared(b.conn, "exists", 1, values, nullptr, nullptr, 0);
            const bool found = PQntuples(r) > 0;
            PQclear(r);
            if (!found)
                break;
        }
        const std::string fileNo = std::to_string(nextFileNo++);
        const char* values[] = {fileNo.c_str(), name.c_str()};
        b.run("BEGIN");
        PQclear(PQexecPrepared(b.conn, "insert", 2, values, nullptr, nullptr, 0));
        b.run(("SELECT * INTO " + name + " FROM Questions Where Row>=0").c_str());
        b.run(("ALTER TABLE " + name + " ADD PRIMARY KEY (Row)").c_str());
        b.run("COMMIT");
    }
}

void OpenProfiles_Backend(benchmark::State& state)
{
    PgConnection db(databaseUri());
    db.open();
    for (auto _ : state) {
        const SqlBackend::ReadResult r = PgBackend::readTable(db, QStringLiteral("Profiles"));
        benchmark::DoNotOptimize(r.store.rowCount());
    }
}

// The same rows read into memory by hand: every value converted to its kind, texts to QString.
void OpenProfiles_Bare(benchmark::State& state)
{
    Bare b;
    for (auto _ : state) {
        PGresult* r = PQexec(b.conn, "SELECT FileNo, * FROM Profiles");
        const int rows = PQntuples(r);
        const int cols = PQnfields(r);
        std::vector<qint64> ints;
        std::vector<QString> texts;
        ints.reserve(size_t(rows) * 6);
        texts.reserve(size_t(rows) * 4);
        for (int row = 0; row < rows; ++row)
            for (int c = 0; c < cols; ++c) {
                const Oid type = PQftype(r, c);
                if (type == 1043)
                    texts.push_back(QString::fromUtf8(PQgetvalue(r, row, c), PQgetlength(r, row, c)));
                else
                    ints.push_back(std::strtoll(PQgetvalue(r, row, c), nullptr, 10));
            }
        benchmark::DoNotOptimize(ints.data());
        benchmark::DoNotOptimize(texts.data());
        PQclear(r);
    }
}

} // namespace

BENCHMARK(PostAnswer_Backend)->Unit(benchmark::kMicrosecond);
BENCHMARK(PostAnswer_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(Registration_Backend)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(Registration_Bare)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenProfiles_Backend)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenProfiles_Bare)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
