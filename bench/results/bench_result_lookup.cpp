// The results window's look-up (profile found by file number, filter, details, both score queries rebuilt and
// shown in the grids) beside bare SQLite doing the same reading on the same file in the same run: the profile
// selected by FileNo and the two score queries stepped to their last row. Pairs: Lookup/Window and Lookup/Bare.

#include "data/DataModule.h"
#include "data/DbConnection.h"
#include "data/ScoreQueries.h"
#include "data/Schema.h"
#include "data/ZarkU.h"
#include "results/ResultForm.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDriver>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int profileCount = 10000;
constexpr int itemCount = 90;
constexpr int questionTables = 16; // the profiles share these, so every look-up reads a real table
constexpr int lookedUp = 16;       // look-ups cycle over this many file numbers

const QStringList& scales()
{
    static const QStringList names{QStringLiteral("درون فردي"), QStringLiteral("ميان فردي"),
                                   QStringLiteral("سازگاري"), QStringLiteral("کنترل استرس"),
                                   QStringLiteral("خلق عمومي")};
    return names;
}

QString tableName(int index)
{
    QString name = QStringLiteral("QTABLE");
    for (int i = 0; i < 9; ++i, index /= 25)
        name += QChar(u'A' + index % 25);
    return name;
}

QString fileNoAt(int lookUp)
{
    return QString::number(1 + (lookUp % lookedUp) * (profileCount / lookedUp));
}

const QString& databaseFile()
{
    static QTemporaryDir dir;
    static const QString file = [] {
        const QString f = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
        Schema::createDatabaseFile(f);
        DbConnection db;
        db.setConnectionString(JetConnectionString(f, QString()));
        db.open();
        db.execute(QStringLiteral("BEGIN"));
        for (int i = 1; i <= itemCount; ++i)
            db.execute(QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question, Answer, Score) "
                                      "VALUES ('%1', 'زير مقياس %2', 1, 'سوال %3', 0, 0)")
                           .arg(scales()[i % scales().size()])
                           .arg(i % 15)
                           .arg(i));
        db.execute(QStringLiteral("COMMIT"));
        for (int t = 0; t < questionTables; ++t) {
            db.execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0").arg(tableName(t)));
            db.execute(QStringLiteral("UPDATE %1 SET Answer = 1 + (Row + %2) % 5, Score = 1 + (Row + %2) % 5")
                           .arg(tableName(t))
                           .arg(t));
        }
        db.execute(QStringLiteral("BEGIN"));
        for (int n = 1; n <= profileCount; ++n)
            db.execute(QStringLiteral("INSERT INTO Profiles VALUES (%1, '1403/01/%2', 'نام %1', 'نام خانوادگي %1', "
                                      "%3, %4, %5, '%6', 1)")
                           .arg(n)
                           .arg(1 + n % 28, 2, 10, QLatin1Char('0'))
                           .arg(18 + n % 60)
                           .arg(n % 2)
                           .arg(n % 8)
                           .arg(tableName(n % questionTables)));
        db.execute(QStringLiteral("COMMIT"));
        return f;
    }();
    return file;
}

void Lookup_Window(benchmark::State& state)
{
    TData data;
    Data = &data;
    data.ConnectToDatabase(databaseFile());
    TfrmResult window;
    window.show();
    auto* fileNo = window.findChild<QLineEdit*>(QStringLiteral("edFileNo"));
    auto* grid1 = window.findChild<QTableView*>(QStringLiteral("RzDBGrid1"));
    auto* grid2 = window.findChild<QTableView*>(QStringLiteral("RzDBGrid2"));
    auto* charts = window.findChild<QPushButton*>(QStringLiteral("btShowCharts"));
    int lookUp = 0;
    for (auto _ : state) {
        fileNo->setText(fileNoAt(lookUp++));
        window.btSearchClick();
        if (!charts->isEnabled() || grid1->model()->rowCount() != scales().size() || grid2->model()->rowCount() != 15)
            state.SkipWithError("the look-up did not fill both grids");
    }
    Data = nullptr;
}

// The same reading with the engine alone, on a handle the layer opened (so the Persian collation is there).
void Lookup_Bare(benchmark::State& state)
{
    DbConnection connection;
    connection.setConnectionString(JetConnectionString(databaseFile(), QString()));
    connection.open();
    sqlite3* h = *static_cast<sqlite3* const*>(connection.database().driver()->handle().constData());
    auto stepAll = [&](const QString& sql, int expectedRows) {
        sqlite3_stmt* st = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_prepare_v2(h, utf8.constData(), int(utf8.size()), &st, nullptr);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
        }
        sqlite3_finalize(st);
        return rows == expectedRows;
    };
    int lookUp = 0;
    for (auto _ : state) {
        sqlite3_stmt* profile = nullptr;
        sqlite3_prepare_v2(h, "SELECT * FROM Profiles WHERE FileNo = ?1", -1, &profile, nullptr);
        sqlite3_bind_int(profile, 1, fileNoAt(lookUp++).toInt());
        QString table;
        if (sqlite3_step(profile) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(profile); ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(profile, c));
            table = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(profile, 7)));
        }
        sqlite3_finalize(profile);
        const bool filled = stepAll(scoreByScaleSql(table).join(QLatin1Char('\n')), int(scales().size())) &&
                            stepAll(scoreBySubScaleSql(table).join(QLatin1Char('\n')), 15);
        if (!filled)
            state.SkipWithError("the bare queries did not give every row");
    }
}

} // namespace

BENCHMARK(Lookup_Window)->Unit(benchmark::kMicrosecond);
BENCHMARK(Lookup_Bare)->Unit(benchmark::kMicrosecond);
