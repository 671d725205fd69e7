// Loaded into the real ravlen program (LD_PRELOAD) by the suites that end it from outside: it plays the operator
// of a first test, through the program's own windows and events, found by their object names. It opens Test,
// registers file number 7, answers Yes to starting, answers the first five items (5, 4, 3, 2, 1), prints
// "answered 5" and then leaves the program running, mid-test, for the suite to signal.
//
// It only uses Qt: the program it drives is the built executable, unchanged.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
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

QWidget* shownWindow(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

template <typename T>
T* part(QWidget* window, const char* name)
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

void startDriving()
{
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [] { poll(); });
    timer->start(50);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriving)
