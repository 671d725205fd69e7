// The search window's Search beside the same SELECT ... WHERE on bare SQLite, over 100,000 profiles in the same
// run. Pairs share a name stem: Search<Case>/Window and Search<Case>/Bare. The window's time covers what the
// operator waits for: the filter, the grid's model reset and the first paint of the visible rows. The bare peer
// steps through every matching row and reads its nine columns.

#include "bench/RunBenchmarks.h"
#include "data/DataModule.h"
#include "data/DbConnection.h"
#include "data/Schema.h"
#include "data/ZarkU.h"
#include "dialogs/AppFonts.h"
#include "results/SearchForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDriver>
#include <QTableView>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int profileCount = 100000;

// One search: what the operator types and the filter the window builds from it.
struct SearchCase
{
    const char* name;
    QString fileNo;
    QString lastName;
    int gender = 0;
    int grade = 0;
};

const SearchCase cases[] = {
    {"FileNo", QStringLiteral("54321"), QString(), 0, 0},
    {"SurnameAndGender", QString(), QStringLiteral("کريمي"), 1, 0},
    {"GenderAndGrade", QString(), QString(), 1, 4},
    {"Everyone", QString(), QString(), 0, 0},
};

// 100,000 profiles made by the engine itself: file numbers 1 to 100,000, names drawn from small lists so that a
// surname matches about one profile in twelve, every gender and grade.
const QString& profilesFile()
{
    static QTemporaryDir folder;
    static const QString file = [] {
        const QString f = QDir(folder.path()).filePath(QStringLiteral("Ravlen.mdb"));
        Schema::createDatabaseFile(f);
        DbConnection db;
        db.setConnectionString(JetConnectionString(f, QString()));
        db.open();
        sqlite3* h = *static_cast<sqlite3* const*>(db.database().driver()->handle().constData());
        const char* fill = R"(
            WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000),
            first(k, name) AS (VALUES (0, 'مريم'), (1, 'علي'), (2, 'سارا'), (3, 'رضا'), (4, 'زهرا'), (5, 'حسين'),
                                      (6, 'نرگس'), (7, 'محمد'), (8, 'فاطمه'), (9, 'امير'), (10, 'ليلا')),
            last(k, name) AS (VALUES (0, 'کريمي'), (1, 'رضايي'), (2, 'احمدي'), (3, 'حسيني'), (4, 'موسوي'),
                                     (5, 'جعفري'), (6, 'صادقي'), (7, 'رحيمي'), (8, 'محمدي'), (9, 'نوري'),
                                     (10, 'کاظمي'), (11, 'قاسمي'))
            INSERT INTO Profiles
            SELECT i, printf('14%02d/%02d/%02d', i % 4, 1 + i % 12, 1 + i % 29), first.name, last.name,
                   15 + i % 60, i % 2, (i / 2) % 8, 'ABCDEFGHIJKLMNO', i % 2
            FROM n JOIN first ON first.k = i % 11 JOIN last ON last.k = (i / 3) % 12)";
        char* error = nullptr;
        if (sqlite3_exec(h, fill, nullptr, nullptr, &error) != SQLITE_OK)
            qFatal("filling the profiles failed: %s", error);
        return f;
    }();
    return file;
}

// Counts the paint events a widget receives, so a run that painted nothing shows as such.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The data module connected to the profiles and the search window over it, shown as the operator sees it.
struct SearchWindow
{
    TData data;
    std::unique_ptr<TfrmSearch> window;

    SearchWindow()
    {
        Data = &data;
        data.ConnectToDatabase(profilesFile());
        window = std::make_unique<TfrmSearch>();
        frmSearch = window.get();
        window->show();
        // Painting reaches the screen only once the window system has exposed the window.
        while (!window->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ~SearchWindow()
    {
        window.reset();
        Data = nullptr;
    }

    template <typename T> T* child(const char* name) { return window->findChild<T*>(QLatin1String(name)); }

    void enter(const SearchCase& c)
    {
        child<QLineEdit>("edFileNo")->setText(c.fileNo);
        child<QLineEdit>("edLName")->setText(c.lastName);
        child<QComboBox>("cbGender")->setCurrentIndex(c.gender);
        child<QComboBox>("cbGrade")->setCurrentIndex(c.grade);
    }
};

void Window(benchmark::State& state, const SearchCase& c)
{
    SearchWindow w;
    w.enter(c);
    auto* search = w.child<QPushButton>("btReturn");
    QWidget* rows = w.child<QTableView>("RzDBGrid2")->viewport();
    PaintCounter painted;
    rows->installEventFilter(&painted);
    // After the first search filtering stays on, as it does while the operator searches again and again.
    for (auto _ : state) {
        search->click();
        rows->repaint();
    }
    state.counters["rows"] = w.data.tbProfiles.recordCount();
    state.counters["paints_per_search"] = double(painted.paints) / double(state.iterations());
}

void Bare(benchmark::State& state, const SearchCase& c)
{
    // The filter text is a valid WHERE clause as it stands; run the window's own text.
    SearchWindow w;
    w.enter(c);
    const QString filter = SearchFilterText(w.window->criteria());
    const QByteArray sql =
        (QStringLiteral("SELECT * FROM Profiles") + (filter.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter))
            .toUtf8();
    // The engine opened the way the layer opens it, with the collation the schema names.
    DbConnection db;
    db.setConnectionString(JetConnectionString(profilesFile(), QString()));
    db.open();
    sqlite3* h = *static_cast<sqlite3* const*>(db.database().driver()->handle().constData());
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(h));
        return;
    }
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int column = 0; column < 9; ++column)
                benchmark::DoNotOptimize(sqlite3_column_text(st, column));
            ++rows;
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    state.counters["rows"] = rows;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    for (const SearchCase& c : cases) {
        benchmark::RegisterBenchmark((QByteArray("Search") + c.name + "/Window").constData(), Window, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((QByteArray("Search") + c.name + "/Bare").constData(), Bare, c)
            ->Unit(benchmark::kMillisecond);
    }
    return runBenchmarks(argc, argv);
}
