#include "results/SearchForm.h"

#include "calendar/ShDateUtils.h"
#include "controls/ShDateCtrls.h"
#include "data/DataModule.h"
#include "dialogs/AppFonts.h"
#include "tests/support/FixedClock.h"
#include "tests/support/HostWindow.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Participants.h"
#include "tests/support/Pixels.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TempRavlenDb.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace {

// The participants every case searches, registered in this order (the grid's order).
const TestParticipant participants[] = {
    {12, QStringLiteral("1403/02/10"), QString(), QStringLiteral("مريم"), QStringLiteral("کريمي"), 30, 0, 3, true, {}},
    {7, QStringLiteral("1403/05/01"), QString(), QStringLiteral("علي"), QStringLiteral("رضايي"), 30, 1, 1, true, {}},
    {25,
     QStringLiteral("1402/12/29"),
     QString(),
     QStringLiteral("سارا"),
     QStringLiteral("O'Brien"),
     41,
     0,
     3,
     false,
     {}},
    {3, QStringLiteral("1403/02/10"), QString(), QStringLiteral("رضا"), QStringLiteral("احمدي"), 25, 1, 7, true, {}},
};

template <typename T> T* child(QWidget* window, const char* name)
{
    T* widget = window->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

// Types text as the keyboard would, Persian letters included.
void typeText(QWidget* box, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(box, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The file numbers the grid lists, top to bottom.
QList<int> listedFileNos(QTableView* grid)
{
    QList<int> fileNos;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        fileNos << grid->model()->index(row, 0).data().toInt();
    return fileNos;
}

void clickRow(QTableView* grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

} // namespace

class tst_SearchForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void search_data();
    void search();
    void handBack_data();
    void handBack();
    void closeBoxKeepsTheSearch();
    void lookedUpParticipantFirst();
    void criteriaKeptBetweenShowings();
    void keys_data();
    void keys();
    void datePickerStartsEmptyInTheCurrentMonth();
    void centredOnTheMainWindowAtEveryShowing();
    void tabGoesFromTheGridThroughTheCriteria();
    void screenshot();

private:
    // Shows the window modally and runs `interact` inside; the window must be closed by then.
    void runModal(const std::function<void()>& interact);
    QTableView* grid() { return child<QTableView>(m_window, "RzDBGrid2"); }
    void clickButton(const char* name) { QTest::mouseClick(child<QPushButton>(m_window, name), Qt::LeftButton); }

    TempRavlenDb m_db;
    std::unique_ptr<TData> m_data;
    TfrmSearch* m_window = nullptr;
};

void tst_SearchForm::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QVERIFY(registerApplicationFonts());
    QApplication::setFont(designFont(QStringLiteral("Tahoma"), 12));
    {
        const std::unique_ptr<DbConnection> db = m_db.connect();
        for (const TestParticipant& participant : participants)
            addParticipant(*db, participant);
    }
    m_data = std::make_unique<TData>();
    Data = m_data.get();
    Data->ConnectToDatabase(m_db.path());
}

void tst_SearchForm::init()
{
    Data->tbProfiles.setFilter(QString());
    Data->tbProfiles.setFiltered(false);
    m_window = new TfrmSearch;
    frmSearch = m_window;
}

void tst_SearchForm::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void tst_SearchForm::cleanupTestCase()
{
    Data = nullptr;
    m_data.reset();
}

void tst_SearchForm::runModal(const std::function<void()>& interact)
{
    driveModal([this] { m_window->exec(); }, [&](QWidget*) { interact(); });
}

void tst_SearchForm::search_data()
{
    QTest::addColumn<QString>("fileNo");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("age");
    QTest::addColumn<int>("gender");
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<int>>("listed");

    const QList<int> everyone{12, 7, 25, 3};
    // clang-format off
    QTest::newRow("file number alone")
        << "12" << "" << "" << "" << "" << 0 << 0 << "(Fileno=12)" << QList<int>{12};
    QTest::newRow("female with grade code 3")
        << "" << "" << "" << "" << "" << 1 << 4 << "(Gender=0) And (Grade=3)" << QList<int>{12, 25};
    QTest::newRow("file number, age, male")
        << "7" << "" << "" << "" << "30" << 2 << 0 << "(Fileno=7) And (Age=30) And (Gender=1)" << QList<int>{7};
    QTest::newRow("test date matches the registered day")
        << "" << "1403/02/10" << "" << "" << "" << 0 << 0 << "(Date='1403/02/10')" << QList<int>{12, 3};
    QTest::newRow("Persian first name and age")
        << "" << "" << "علي" << "" << "30" << 0 << 0 << "(FName='علي') And (Age=30)" << QList<int>{7};
    QTest::newRow("every criterion, in the fixed order")
        << "12" << "1403/02/10" << "مريم" << "کريمي" << "30" << 1 << 4
        << "(Fileno=12) And (Date='1403/02/10') And (FName='مريم') And (LName='کريمي') And (Age=30) And "
           "(Gender=0) And (Grade=3)"
        << QList<int>{12};
    QTest::newRow("name typed with a blank is not trimmed")
        << "" << "" << " مريم" << "" << "" << 0 << 0 << "(FName=' مريم')" << QList<int>{};
    QTest::newRow("quote in a surname is doubled and found")
        << "" << "" << "" << "O'Brien" << "" << 0 << 0 << "(LName='O''Brien')" << QList<int>{25};
    QTest::newRow("blank-only surname adds nothing")
        << "" << "" << "" << "   " << "" << 0 << 0 << "" << everyone;
    QTest::newRow("0 file number and 0 age add nothing")
        << "0" << "" << "" << "" << "0" << 0 << 0 << "" << everyone;
    QTest::newRow("no criterion lists everyone")
        << "" << "" << "" << "" << "" << 0 << 0 << "" << everyone;
    QTest::newRow("nobody matches")
        << "999" << "" << "" << "" << "" << 0 << 0 << "(Fileno=999)" << QList<int>{};
    // clang-format on
}

void tst_SearchForm::search()
{
    QFETCH(QString, fileNo);
    QFETCH(QString, date);
    QFETCH(QString, firstName);
    QFETCH(QString, lastName);
    QFETCH(QString, age);
    QFETCH(int, gender);
    QFETCH(int, grade);
    QFETCH(QString, filter);
    QFETCH(QList<int>, listed);

    // Start from a filter that the search must replace.
    Data->tbProfiles.setFilter(QStringLiteral("FileNo=25"));
    Data->tbProfiles.setFiltered(true);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    typeText(child<QLineEdit>(m_window, "edFileNo"), fileNo);
    if (!date.isEmpty()) {
        // The picker takes a pasted date as the operator would copy it from elsewhere.
        auto* picker = child<TExShDatePicker>(m_window, "edDate");
        picker->setFocus();
        QApplication::clipboard()->setText(date);
        QTest::keyClick(picker, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(!picker->IsNull());
    }
    typeText(child<QLineEdit>(m_window, "edFName"), firstName);
    typeText(child<QLineEdit>(m_window, "edLName"), lastName);
    typeText(child<QLineEdit>(m_window, "edAge"), age);
    child<QComboBox>(m_window, "cbGender")->setCurrentIndex(gender);
    child<QComboBox>(m_window, "cbGrade")->setCurrentIndex(grade);
    const QSignalSpy refilled(&Data->tbProfiles, &DataSet::rowsReset);
    clickButton("btReturn");

    // Once: with filtering on already, the grid is filled again only by the new text.
    QCOMPARE(refilled.count(), 1);
    QCOMPARE(Data->tbProfiles.filter(), filter);
    QVERIFY(Data->tbProfiles.filtered());
    QCOMPARE(listedFileNos(grid()), listed);
}

void tst_SearchForm::handBack_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("how"); // a button's name, or "double click" on the row
    QTest::addColumn<QString>("status");

    // clang-format off
    QTest::newRow("Select gives the highlighted row") << "" << 2 << "RzBitBtn2" << "25";
    QTest::newRow("Select after a search") << "احمدي" << 0 << "RzBitBtn2" << "3";
    QTest::newRow("a double click selects its row") << "" << 1 << "double click" << "7";
    QTest::newRow("Select on an empty result") << "نيست" << -1 << "RzBitBtn2" << "0";
    QTest::newRow("Return") << "" << 1 << "RzBitBtn1" << "0";
    // clang-format on
}

void tst_SearchForm::handBack()
{
    QFETCH(QString, surname);
    QFETCH(int, row);
    QFETCH(QString, how);
    QFETCH(QString, status);

    // The caller's profiles position, which leaving with a button puts back.
    TableDataSet& profiles = Data->tbProfiles;
    profiles.setRecNo(2);
    runModal([&] {
        QCOMPARE(m_window->lbStatusText(), QStringLiteral("0"));
        typeText(child<QLineEdit>(m_window, "edLName"), surname);
        clickButton("btReturn");
        if (row >= 0)
            clickRow(grid(), row);
        if (how == QLatin1String("double click"))
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
                               grid()->visualRect(grid()->model()->index(row, 3)).center());
        else
            clickButton(qPrintable(how));
    });
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_window->lbStatusText(), status);
    QCOMPARE(profiles.filtered(), false);
    QCOMPARE(profiles.filter(), QString());
    QCOMPARE(profiles.recordCount(), 4);
    QCOMPARE(profiles.recNo(), 2);
}

void tst_SearchForm::closeBoxKeepsTheSearch()
{
    Data->tbProfiles.setRecNo(4);
    runModal([&] {
        child<QComboBox>(m_window, "cbGender")->setCurrentIndex(1);
        clickButton("btReturn");
        clickRow(grid(), 1);
        QCloseEvent close;
        QApplication::sendEvent(m_window->windowHandle(), &close);
    });
    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_window->lbStatusText(), QStringLiteral("0"));
    QCOMPARE(Data->tbProfiles.filter(), QStringLiteral("(Gender=0)"));
    QVERIFY(Data->tbProfiles.filtered());
    QCOMPARE(Data->tbProfiles.fieldByName(QStringLiteral("FileNo")).asInteger(), 25);
}

void tst_SearchForm::lookedUpParticipantFirst()
{
    // The results window's look-up leaves the profiles filtered to its participant.
    Data->tbProfiles.setFilter(QStringLiteral("FileNo=7"));
    Data->tbProfiles.setFiltered(true);
    QList<int> shown;
    QWidget* focused = nullptr;
    runModal([&] {
        shown = listedFileNos(grid());
        focused = QApplication::focusWidget();
        clickButton("RzBitBtn2");
    });
    QCOMPARE(shown, QList<int>{7});
    // The grid comes first in the window's tab order and so has the focus: Enter there selects at once.
    QCOMPARE(focused, grid());
    QCOMPARE(m_window->lbStatusText(), QStringLiteral("7"));
    QCOMPARE(Data->tbProfiles.filter(), QStringLiteral("FileNo=7"));
    QVERIFY(Data->tbProfiles.filtered());
    QCOMPARE(Data->tbProfiles.recNo(), 1);
}

void tst_SearchForm::criteriaKeptBetweenShowings()
{
    runModal([&] {
        typeText(child<QLineEdit>(m_window, "edFName"), QStringLiteral("سارا"));
        child<QComboBox>(m_window, "cbGrade")->setCurrentIndex(4);
        clickButton("RzBitBtn1");
    });
    QString filter;
    runModal([&] {
        clickButton("btReturn");
        filter = Data->tbProfiles.filter();
        clickButton("RzBitBtn1");
    });
    QCOMPARE(filter, QStringLiteral("(FName='سارا') And (Grade=3)"));
}

void tst_SearchForm::keys_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("filter"); // after the key; "-" when no search ran
    QTest::addColumn<QString>("status"); // "-" while the window stays open

    // clang-format off
    QTest::newRow("Enter in the file number runs Search") << "edFileNo" << int(Qt::Key_Return) << "(Fileno=3)" << "-";
    QTest::newRow("Enter on the keypad too") << "edFName" << int(Qt::Key_Enter) << "(Fileno=3)" << "-";
    QTest::newRow("Enter in a list runs Search") << "cbGender" << int(Qt::Key_Return) << "(Fileno=3)" << "-";
    QTest::newRow("Enter in the date picker runs Search") << "edDate" << int(Qt::Key_Return) << "(Fileno=3)" << "-";
    QTest::newRow("Enter on the grid runs Select") << "RzDBGrid2" << int(Qt::Key_Return) << "-" << "12";
    QTest::newRow("Enter on a focused button presses it") << "RzBitBtn1" << int(Qt::Key_Return) << "-" << "0";
    QTest::newRow("Escape does nothing") << "edLName" << int(Qt::Key_Escape) << "-" << "-";
    // clang-format on
}

void tst_SearchForm::keys()
{
    QFETCH(QString, box);
    QFETCH(int, key);
    QFETCH(QString, filter);
    QFETCH(QString, status);

    bool open = false;
    QString filterAfter;
    runModal([&] {
        typeText(child<QLineEdit>(m_window, "edFileNo"), QStringLiteral("3"));
        auto* target = m_window->findChild<QWidget*>(box);
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        open = m_window->isVisible();
        filterAfter = Data->tbProfiles.filtered() ? Data->tbProfiles.filter() : QStringLiteral("-");
        if (open)
            m_window->close();
    });
    QCOMPARE(open, status == QLatin1String("-"));
    if (!open)
        QCOMPARE(m_window->lbStatusText(), status);
    else
        QCOMPARE(filterAfter, filter);
}

void tst_SearchForm::datePickerStartsEmptyInTheCurrentMonth()
{
    const ScopedFixedClock clock(QDateTime(QDate(2024, 10, 6), QTime(9, 30)));
    TfrmSearch window;
    auto* picker = child<TExShDatePicker>(&window, "edDate");
    QVERIFY(picker->IsNull());
    QCOMPARE(picker->Date(), ShEncodeDate(1403, 7, 15));
    QCOMPARE(window.lbStatusText(), QStringLiteral("0"));
}

void tst_SearchForm::centredOnTheMainWindowAtEveryShowing()
{
    HostWindow host;
    QVERIFY(host.showActive(QPoint(40, 30)));
    QPoint first, second;
    runModal([&] {
        first = m_window->geometry().center();
        m_window->move(m_window->pos() + QPoint(60, 45));
        clickButton("RzBitBtn1");
    });
    runModal([&] {
        second = m_window->geometry().center();
        clickButton("RzBitBtn1");
    });
    const QPoint centre = host.geometry().center();
    QVERIFY2((first - centre).manhattanLength() <= 2, "first showing");
    QVERIFY2((second - centre).manhattanLength() <= 2, "a moved window comes back to the centre");
    QCOMPARE(m_window->size(), QSize(711, 448));
    // A tool window whose only caption button is the close box.
    const Qt::WindowFlags flags = m_window->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
}

void tst_SearchForm::tabGoesFromTheGridThroughTheCriteria()
{
    QStringList visited;
    runModal([&] {
        for (int step = 0; step < 12; ++step) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        clickButton("RzBitBtn1");
    });
    QCOMPARE(visited, QStringList({"RzDBGrid2", "edFileNo", "edDate", "edFName", "edLName", "edAge", "cbGender",
                                   "cbGrade", "btReturn", "RzBitBtn1", "RzBitBtn2", "RzDBGrid2"}));
}

void tst_SearchForm::screenshot()
{
    QString path;
    QImage picture;
    runModal([&] {
        typeText(child<QLineEdit>(m_window, "edFName"), QStringLiteral("مريم"));
        clickRow(grid(), 2);
        picture = m_window->grab().toImage();
        path = saveScreenshot(picture, QStringLiteral("search-window"));
        m_window->close();
    });
    QVERIFY(!path.isEmpty());
    // The typed name whole in its box; every participant on a row of their own, the chosen one (the third)
    // highlighted in blue with light text and no other row coloured.
    const QString fault = boxTextFault(picture, m_window, child<QLineEdit>(m_window, "edFName"), QStringLiteral("مريم"));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    QCOMPARE(grid()->model()->rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        const QImage strip = gridRowPart(picture, m_window, grid(), row);
        const QString tag = QStringLiteral("row %1").arg(row);
        QCOMPARE(colourFamily(strip), row == 2 ? QStringLiteral("blue") : QStringLiteral("none"));
        const int text = countPixels(strip, row == 2 ? closeTo(Qt::white, 40) : darkerThan(100));
        QVERIFY2(text > 100, qPrintable(tag + QStringLiteral(": %1 pixels of text").arg(text)));
    }
}

QTEST_MAIN(tst_SearchForm)
#include "tst_SearchForm.moc"
