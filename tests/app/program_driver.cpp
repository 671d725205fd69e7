// Loaded into the real ravlen program (LD_PRELOAD) by the suites that watch it from outside: it plays the operator
// through the program's own windows and events, found by their object names, and prints what it sees, one line
// each. RAVLEN_DRIVE picks the part:
//   test    opens Test, registers file number 7, answers Yes to starting, answers the first five items (5, 4, 3,
//           2, 1) and prints "answered 5", then leaves the program mid-test for the suite to signal;
//   review  answers every message shown at the start with its first button, printing "message: <text>"; prints
//           whether Test and Review results are on; opens Review results and the search window from it
//           ("search rows: <n>"), looks up file number 7 ("name: <text>"), opens the charts report
//           ("pages: <n>"), closes it all and prints "reviewed".
//
// It only uses Qt: the program it drives is the built executable, unchanged.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

enum class Step
{
    OpenTest,
    Register,
    ConfirmStart,
    Answer,
    Done,
};

Step step = Step::OpenTest;

enum class Review
{
    Start,
    OpenSearch,
    InSearch,
    LookUp,
    InReport,
    Close,
    Done,
};

Review review = Review::Start;

QWidget* shownWindow(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

template <typename T> T* part(QWidget* window, const char* name)
{
    return window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
}

// Modal windows run their own loop: whatever opens one is queued, so this poll runs inside it.
void later(QAbstractButton* button)
{
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

void poll()
{
    QWidget* test = shownWindow("TfrmNewTest");
    switch (step) {
    case Step::OpenTest:
        if (auto* action = part<QAction>(shownWindow("TfrmMain"), "N2"); action && action->isEnabled()) {
            QTimer::singleShot(0, action, &QAction::trigger);
            step = Step::Register;
        }
        return;
    case Step::Register: {
        auto* fileNo = part<QLineEdit>(test, "edFileNo");
        if (!fileNo || !fileNo->isEnabled())
            return;
        test->activateWindow();
        fileNo->setFocus(Qt::TabFocusReason);
        fileNo->selectAll();
        QTest::keyClicks(fileNo, QStringLiteral("7"));
        // Leaving the box looks the number up: a new participant.
        QTest::keyClick(fileNo, Qt::Key_Tab);
        QTest::keyClicks(part<QLineEdit>(test, "edFName"), QStringLiteral("Sara"));
        QTest::keyClicks(part<QLineEdit>(test, "edLName"), QStringLiteral("Karimi"));
        auto* age = part<QLineEdit>(test, "edAge");
        age->selectAll();
        QTest::keyClicks(age, QStringLiteral("30"));
        part<QComboBox>(test, "cbGender")->setCurrentIndex(0);
        part<QComboBox>(test, "cbGrade")->setCurrentIndex(2);
        later(part<QAbstractButton>(test, "btStart"));
        step = Step::ConfirmStart;
        return;
    }
    case Step::ConfirmStart:
        if (auto* yes = part<QAbstractButton>(shownWindow("TfrmMessage"), "btKey1")) {
            yes->click();
            step = Step::Answer;
        }
        return;
    case Step::Answer: {
        auto* questions = part<QGroupBox>(test, "grpQuestion");
        if (!questions || !questions->isVisible() || !questions->isEnabled())
            return;
        for (const char* name : {"btCAgree", "btAgree", "btSoSo", "btDisagree", "btCDisagree"})
            part<QAbstractButton>(test, name)->click();
        std::fputs("answered 5\n", stdout);
        std::fflush(stdout);
        step = Step::Done;
        return;
    }
    case Step::Done:
        return;
    }
}

void say(const QString& line)
{
    std::fputs(qUtf8Printable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void pollReview()
{
    if (QWidget* message = shownWindow("TfrmMessage")) {
        say(QStringLiteral("message: ") +
            part<QLabel>(message, "msgText")->text().replace(QLatin1Char('\n'), QLatin1Char(' ')));
        part<QAbstractButton>(message, "btKey1")->click();
        return;
    }
    QWidget* main = shownWindow("TfrmMain");
    QWidget* results = shownWindow("TfrmResult");
    switch (review) {
    case Review::Start:
        if (!main)
            return;
        say(QStringLiteral("test %1").arg(part<QAction>(main, "N2")->isEnabled() ? "on" : "off"));
        say(QStringLiteral("review %1").arg(part<QAction>(main, "N3")->isEnabled() ? "on" : "off"));
        QTimer::singleShot(0, part<QAction>(main, "N3"), &QAction::trigger);
        review = Review::OpenSearch;
        return;
    case Review::OpenSearch:
        if (auto* fileNo = part<QLineEdit>(results, "edFileNo")) {
            results->activateWindow();
            fileNo->setFocus(Qt::OtherFocusReason);
            // F1 in the file number box opens the search window, modally.
            QTimer::singleShot(0, [fileNo] { QTest::keyClick(fileNo, Qt::Key_F1); });
            review = Review::InSearch;
        }
        return;
    case Review::InSearch:
        if (QWidget* search = shownWindow("TfrmSearch")) {
            say(QStringLiteral("search rows: %1").arg(part<QTableView>(search, "RzDBGrid2")->model()->rowCount()));
            search->close();
            review = Review::LookUp;
        }
        return;
    case Review::LookUp: {
        auto* fileNo = part<QLineEdit>(results, "edFileNo");
        if (!fileNo || shownWindow("TfrmSearch"))
            return;
        fileNo->selectAll();
        QTest::keyClicks(fileNo, QStringLiteral("7"));
        part<QAbstractButton>(results, "btSearch")->click();
        say(QStringLiteral("name: ") + part<QLineEdit>(results, "edName")->text());
        later(part<QAbstractButton>(results, "btShowCharts"));
        review = Review::InReport;
        return;
    }
    case Review::InReport:
        for (QWidget* w : QApplication::topLevelWidgets()) {
            // The preview's own window, not the results window that owns it.
            auto* preview = w->isVisible() ? w->findChild<QPrintPreviewWidget*>() : nullptr;
            if (preview && preview->window() == w && preview->pageCount() > 0) {
                say(QStringLiteral("pages: %1").arg(preview->pageCount()));
                w->close();
                review = Review::Close;
            }
        }
        return;
    case Review::Close:
        if (!results)
            return;
        results->close();
        say(QStringLiteral("reviewed"));
        review = Review::Done;
        return;
    case Review::Done:
        return;
    }
}

void startDriving()
{
    const bool reviewing = qEnvironmentVariable("RAVLEN_DRIVE") == QLatin1String("review");
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [reviewing] { reviewing ? pollReview() : poll(); });
    timer->start(50);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriving)
