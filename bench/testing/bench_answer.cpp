// One answer on a file of a clinic's size, both ways the next item can stand: the click, the answer stored with
// the file's durability, the next item's texts and indicator set and one paint processed (<Case>/Window), beside
// the bare durable UPDATE of the same row plus one paint of the question panel alone (<Case>/Bare). The argument
// is the number of participants in the scale benchmark's file.

#include "bench/RunBenchmarks.h"
#include "bench/scale/ScaleFiles.h"
#include "data/DataModule.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/NumericEdit.h"
#include "testing/NewTestForm.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

// The program on one working copy of the file, the test window shown.
struct Program
{
    TData data;
    TfrmNewTest window;
    int nextNewFileNo;

    explicit Program(int participants) : nextNewFileNo(participants + 1)
    {
        QDir::setCurrent(ScaleFiles::workingFolder(participants));
        Data = &data;
        data.ConnectToWorkingDirectoryDatabase();
        frmNewTest = &window;
        window.setOuterHeight(175);
        window.show();
    }

    template <typename T> T* find(const char* name) { return window.findChild<T*>(QLatin1String(name)); }
    int position() { return find<QLabel>("lbQNo")->text().toInt(); }
    int total() { return find<QLabel>("lbQTotal")->text().toInt(); }

    // A participant at the first item with every item before them: a new one (nothing answered) or the retest of
    // one who finished (everything answered).
    void startAtFirstItem(bool answered)
    {
        if (window.isTestRunning()) {
            SysMessageSeam::setNextAnswer(1);
            window.btNewFormClick();
        }
        int fileNo = 1;
        if (answered) {
            while (!ScaleFiles::completed(fileNo))
                ++fileNo;
        } else {
            fileNo = nextNewFileNo++;
        }
        find<NumericEdit>("edFileNo")->setValue(fileNo);
        window.edFileNoExit();
        if (!answered) {
            find<QLineEdit>("edFName")->setText(QStringLiteral("سارا"));
            find<QLineEdit>("edLName")->setText(QStringLiteral("احمدي"));
            find<NumericEdit>("edAge")->setValue(25);
            find<QComboBox>("cbGender")->setCurrentIndex(0);
            find<QComboBox>("cbGrade")->setCurrentIndex(3);
        }
        SysMessageSeam::setNextAnswer(1);
        window.btStartClick();
        QApplication::processEvents();
    }
};

Program& program(int participants)
{
    static std::map<int, std::unique_ptr<Program>> made;
    // One window at a time: the data module is the program's one.
    if (!made.count(participants)) {
        made.clear();
        made[participants] = std::make_unique<Program>(participants);
    }
    return *made[participants];
}

void answerWindow(benchmark::State& state, bool nextAnswered)
{
    Program& p = program(int(state.range(0)));
    p.startAtFirstItem(nextAnswered);
    QPushButton* buttons[] = {p.find<QPushButton>("btSoSo"), p.find<QPushButton>("btAgree")};
    int i = 0;
    for (auto _ : state) {
        if (p.position() == p.total()) {
            // The last item has no next one: start over on a participant in the same case.
            state.PauseTiming();
            p.startAtFirstItem(nextAnswered);
            state.ResumeTiming();
        }
        QTest::mouseClick(buttons[++i % 2], Qt::LeftButton);
        QApplication::processEvents();
    }
}

void answerBare(benchmark::State& state)
{
    Program& p = program(int(state.range(0)));
    p.startAtFirstItem(true);
    QGroupBox* panel = p.find<QGroupBox>("grpQuestion");
    sqlite3* db = nullptr;
    const QString file = QDir(QDir::currentPath()).filePath(QStringLiteral("Ravlen.mdb"));
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the benchmark database");
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    const QByteArray sql = QStringLiteral("UPDATE %1 SET Answer = ?1, Score = ?2 WHERE Row = ?3")
                               .arg(Data->tbQuestions.tableName())
                               .toUtf8();
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &update, nullptr);
    int i = 0;
    for (auto _ : state) {
        ++i;
        sqlite3_reset(update);
        const int answer = 3 + i % 2;
        sqlite3_bind_int(update, 1, answer);
        sqlite3_bind_int(update, 2, answer);
        sqlite3_bind_int(update, 3, 1 + i % 90);
        if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(db) != 1)
            state.SkipWithError("the update changed no row");
        panel->repaint();
    }
    sqlite3_finalize(update);
    sqlite3_close_v2(db);
}

void NextUnanswered_Window(benchmark::State& state) { answerWindow(state, false); }
void NextAnswered_Window(benchmark::State& state) { answerWindow(state, true); }
void Answer_Bare(benchmark::State& state) { answerBare(state); }

} // namespace

BENCHMARK(NextUnanswered_Window)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(NextAnswered_Window)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(Answer_Bare)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setLayoutDirection(Qt::RightToLeft);
    return runBenchmarks(argc, argv);
}
