#include "results/ResultForm.h"
#include "results/SearchForm.h"

#include "app/MainForm.h"
#include "results/ChartsReport.h"
#include "dialogs/MessageFrm.h"
#include "tests/results/ResultsFixture.h"
#include "dialogs/NumericEdit.h"
#include "tests/support/EmbeddedFont.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Screenshot.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <memory>

// The results window driven as the operator does, on a real database file: look-ups refused and made, the
// details and grids they leave, the caller's reset through the main window, and a failing rebuild.
class tst_ResultForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showingFocusesFileNumberAndTabSkipsReadOnlyBoxes();
    void lookUpShowsParticipant_data();
    void lookUpShowsParticipant();
    void refusedLookUpKeepsEarlierResult_data();
    void refusedLookUpKeepsEarlierResult();
    void secondLookUpReplacesEverything();
    void findsProfileAsStored_data();
    void findsProfileAsStored();
    void helpKeyOpensSearch_data();
    void helpKeyOpensSearch();
    void helpKeyElsewhereDoesNothing();
    void failedRebuildEmptiesGrids();
    void mainWindowResetsAfterClose();
    void enterInTheFileNumberLooksUp_data();
    void enterInTheFileNumberLooksUp();
    void typingReplacesTheNumberOfAResetWindow();
    void scalesInPersianOrder_data();
    void scalesInPersianOrder();
    void gridsShowEveryRowWhole_data();
    void gridsShowEveryRowWhole();
    void screenshot();

private:
    void lookUp(const QString& typed);
    QLineEdit* box(const char* name) const { return m_window->findChild<QLineEdit*>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return m_window->findChild<QPushButton*>(QLatin1String(name)); }
    int gridRows(const char* name) const;
    QStringList gridColumn(const char* name) const;
    void lookUpWithBank(const std::vector<FixtureItem>& bank);

    std::unique_ptr<ResultsDatabase> m_db;
    TData* m_data = nullptr;
    std::unique_ptr<TfrmResult> m_window;
};

namespace {

const QString stress = QStringLiteral("کنترل استرس");
const QString adapt = QStringLiteral("سازگاري");

// Two scales, three sub-scales, Persian names.
const std::vector<FixtureItem> items{
    {stress, QStringLiteral("تحمل فشار"), 5}, {stress, QStringLiteral("پرهيز از تکانش"), 4},
    {stress, QStringLiteral("تحمل فشار"), 3}, {stress, QStringLiteral("پرهيز از تکانش"), 5},
    {adapt, QStringLiteral("حل مسئله"), 1},   {adapt, QStringLiteral("حل مسئله"), 2},
    {adapt, QStringLiteral("حل مسئله"), 2}};

// The clinic's item bank: five scales, fifteen sub-scales, one item each, listed in neither alphabetical nor code
// point order (by code point میان‌فردی comes before کنترل استرس, and همدلی before واقع‌گرایی: in Persian vav comes
// before he).
const std::vector<FixtureItem> clinicBank{
    {QStringLiteral("میان‌فردی"), QStringLiteral("همدلی"), 5},
    {QStringLiteral("میان‌فردی"), QStringLiteral("مسئولیت‌پذیری اجتماعی"), 4},
    {QStringLiteral("میان‌فردی"), QStringLiteral("روابط میان‌فردی"), 3},
    {QStringLiteral("کنترل استرس"), QStringLiteral("کنترل تکانه"), 2},
    {QStringLiteral("کنترل استرس"), QStringLiteral("تحمل فشار روانی"), 1},
    {QStringLiteral("خلق عمومی"), QStringLiteral("شادمانی"), 5},
    {QStringLiteral("خلق عمومی"), QStringLiteral("خوش‌بینی"), 4},
    {QStringLiteral("سازگاری"), QStringLiteral("واقع‌گرایی"), 3},
    {QStringLiteral("سازگاری"), QStringLiteral("انعطاف‌پذیری"), 2},
    {QStringLiteral("سازگاری"), QStringLiteral("حل مسئله"), 1},
    {QStringLiteral("درون‌فردی"), QStringLiteral("عزت نفس"), 5},
    {QStringLiteral("درون‌فردی"), QStringLiteral("خودشکوفایی"), 4},
    {QStringLiteral("درون‌فردی"), QStringLiteral("استقلال"), 3},
    {QStringLiteral("درون‌فردی"), QStringLiteral("ابراز وجود"), 2},
    {QStringLiteral("درون‌فردی"), QStringLiteral("خودآگاهی هیجانی"), 1}};

const QString askForNumber = QStringLiteral("شماره پرونده شخص مورد نظر را وارد کنيد!");
const QString notFound = QStringLiteral("پروندهاي با اين شماره يافت نشد!");

} // namespace

void tst_ResultForm::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QVERIFY(useEmbeddedFont(12));
}

void tst_ResultForm::init()
{
    SysMessageSeam::clearAnswers();
    SysMessageSeam::clearCalls();
    m_db = std::make_unique<ResultsDatabase>(items);
    m_data = m_db->data.get();
    m_db->add(participantWith(7, QStringLiteral(" مريم "), QStringLiteral("کاظمي"), 0, 3, true, answersOf(items)));
    m_db->add(participantWith(8, QStringLiteral("علي"), QStringLiteral("رضايي"), 1, 7, true, {1, 1, 1, 1, 5, 5, 5}));
    m_db->add(participantWith(9, QStringLiteral("حسن"), QStringLiteral("احمدي"), 1, 1, false, {3, 3, 0, 0, 0, 0, 0}));
    m_window = std::make_unique<TfrmResult>();
    frmResult = m_window.get();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_ResultForm::cleanup()
{
    m_window.reset();
    m_data = nullptr;
    m_db.reset();
    QCOMPARE(SysMessageSeam::pendingAnswers(), 0);
}

void tst_ResultForm::lookUp(const QString& typed)
{
    QLineEdit* fileNo = box("edFileNo");
    fileNo->selectAll();
    QTest::keyClick(fileNo, Qt::Key_Delete);
    QTest::keyClicks(fileNo, typed);
    QTest::mouseClick(button("btSearch"), Qt::LeftButton);
}

int tst_ResultForm::gridRows(const char* name) const
{
    return m_window->findChild<QTableView*>(QLatin1String(name))->model()->rowCount();
}

QStringList tst_ResultForm::gridColumn(const char* name) const
{
    const QAbstractItemModel* model = m_window->findChild<QTableView*>(QLatin1String(name))->model();
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

// Participant 20 answers `bank`, the items of the database from then on, and is looked up.
void tst_ResultForm::lookUpWithBank(const std::vector<FixtureItem>& bank)
{
    replaceQuestions(m_data->Database, bank);
    m_db->add(participantWith(20, QStringLiteral("سارا"), QStringLiteral("نادري"), 0, 2, true, answersOf(bank)));
    lookUp(QStringLiteral("20"));
    QVERIFY(button("btShowCharts")->isEnabled());
}

void tst_ResultForm::showingFocusesFileNumberAndTabSkipsReadOnlyBoxes()
{
    m_window->hide();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->focusWidget(), static_cast<QWidget*>(box("edFileNo")));
    lookUp(QStringLiteral("7"));
    box("edFileNo")->setFocus();
    QStringList order;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(m_window->focusWidget(), Qt::Key_Tab);
        order << m_window->focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"btSearch", "btShowCharts", "RzDBGrid1"}));
}

void tst_ResultForm::lookUpShowsParticipant_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("age");
    QTest::addColumn<QString>("grade");
    QTest::newRow("woman, bachelor's") << "7" << QStringLiteral("خانم مريم کاظمي") << "1403/02/07" << "37"
                                       << QStringLiteral("ليسانس");
    QTest::newRow("man, seminary") << "8" << QStringLiteral("آقاي علي رضايي") << "1403/02/08" << "38"
                                   << QStringLiteral("مدارک حوزه علميه");
}

void tst_ResultForm::lookUpShowsParticipant()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(QString, date);
    QFETCH(QString, age);
    QFETCH(QString, grade);

    lookUp(typed);

    QCOMPARE(SysMessageSeam::calls().size(), 0);
    QCOMPARE(box("edName")->text(), name);
    QCOMPARE(box("edDate")->text(), date);
    QCOMPARE(box("edAge")->text(), age);
    QCOMPARE(box("edGrade")->text(), grade);
    QVERIFY(button("btShowCharts")->isEnabled());
    QCOMPARE(gridRows("RzDBGrid1"), 2);
    QCOMPARE(gridRows("RzDBGrid2"), 3);
    // The profiles stay filtered to the participant: the report reads them.
    QVERIFY(m_data->tbProfiles.filtered());
    QCOMPARE(m_data->tbProfiles.filter(), QStringLiteral("FileNo=") + typed);
    QCOMPARE(m_data->tbProfiles.recordCount(), 1);
    QCOMPARE(m_window->participantHeader().fullName, name);
}

void tst_ResultForm::refusedLookUpKeepsEarlierResult_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    const QString userError = QStringLiteral("خطاي کاربر");
    QTest::newRow("empty") << "" << userError << askForNumber;
    QTest::newRow("zero") << "0" << userError << askForNumber;
    QTest::newRow("negative") << "-5" << userError << askForNumber;
    QTest::newRow("unknown number") << "99" << userError << notFound;
    QTest::newRow("unfinished test")
        << "9" << QStringLiteral("آزمون ناتمام")
        << QStringLiteral("شرکت کننده با شماره پرونده 9 آزمون خود را به اتمام نرسانيده است!");
}

void tst_ResultForm::refusedLookUpKeepsEarlierResult()
{
    QFETCH(QString, typed);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    lookUp(QStringLiteral("7"));
    QVERIFY(button("btShowCharts")->isEnabled());

    SysMessageSeam::setNextAnswer(1);
    lookUp(typed);

    QCOMPARE(SysMessageSeam::calls().size(), 1);
    const SysMessageCall call = SysMessageSeam::calls().constFirst();
    QCOMPARE(call.caption, caption);
    QCOMPARE(call.text, text);
    QCOMPARE(call.buttons, 0);
    QCOMPARE(call.icon, 3);
    QCOMPARE(call.defaultButton, 1);
    QVERIFY(!button("btShowCharts")->isEnabled());
    QVERIFY(!m_data->tbProfiles.filtered());
    QVERIFY(m_data->tbProfiles.filter().isEmpty());
    // The earlier participant's details and scores stay on show.
    QCOMPARE(box("edName")->text(), QStringLiteral("خانم مريم کاظمي"));
    QCOMPARE(gridRows("RzDBGrid1"), 2);
    QCOMPARE(gridRows("RzDBGrid2"), 3);
}

void tst_ResultForm::secondLookUpReplacesEverything()
{
    lookUp(QStringLiteral("7"));
    const QStringList firstScores{QStringLiteral("33.33"), QStringLiteral("85")};
    auto perTexts = [this](const char* grid) {
        QStringList texts;
        QAbstractItemModel* model = m_window->findChild<QTableView*>(QLatin1String(grid))->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, 1).data().toString();
        texts.sort();
        return texts;
    };
    QCOMPARE(perTexts("RzDBGrid1"), firstScores);

    lookUp(QStringLiteral("8"));

    QCOMPARE(box("edName")->text(), QStringLiteral("آقاي علي رضايي"));
    QCOMPARE(box("edGrade")->text(), QStringLiteral("مدارک حوزه علميه"));
    QCOMPARE(m_data->tbProfiles.filter(), QStringLiteral("FileNo=8"));
    QCOMPARE(perTexts("RzDBGrid1"), (QStringList{QStringLiteral("100"), QStringLiteral("20")}));
    QCOMPARE(perTexts("RzDBGrid2"), (QStringList{QStringLiteral("100"), QStringLiteral("20"), QStringLiteral("20")}));
    QCOMPARE(m_window->participantHeader().fileNo, 8);
}

void tst_ResultForm::findsProfileAsStored_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::newRow("registered and completed by another program") << "12" << QStringLiteral("خانم سارا نادري");
    QTest::newRow("test completed by another program") << "9" << QStringLiteral("آقاي حسن احمدي");
}

void tst_ResultForm::findsProfileAsStored()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    // The window's datasets are read before another program changes the file.
    lookUp(QStringLiteral("7"));
    {
        DbConnection other;
        other.setConnectionString(m_data->Database.connectionString());
        other.open();
        addParticipant(other, participantWith(12, QStringLiteral("سارا"), QStringLiteral("نادري"), 0, 2, true,
                                              answersOf(items)));
        other.execute(QStringLiteral("UPDATE Profiles SET Completed = true WHERE FileNo = 9"));
    }
    lookUp(typed);
    QCOMPARE(SysMessageSeam::calls().size(), 0);
    QCOMPARE(box("edName")->text(), name);
    QVERIFY(button("btShowCharts")->isEnabled());
}

void tst_ResultForm::helpKeyOpensSearch_data()
{
    QTest::addColumn<QString>("searchFor");  // typed into the search window's file number, empty for none
    QTest::addColumn<QString>("leaveWith");  // the search window's button
    QTest::addColumn<QString>("fileNo");     // the results window's file number afterwards
    QTest::addColumn<QString>("name");
    QTest::newRow("a participant chosen: looked up at once")
        << "8" << "RzBitBtn2" << "8" << QStringLiteral("آقاي علي رضايي");
    QTest::newRow("Return hands back 0: nothing changes") << "" << "RzBitBtn1" << "7" << QStringLiteral("خانم مريم کاظمي");
}

void tst_ResultForm::helpKeyOpensSearch()
{
    QFETCH(QString, searchFor);
    QFETCH(QString, leaveWith);
    QFETCH(QString, fileNo);
    QFETCH(QString, name);
    TfrmSearch search;
    frmSearch = &search;
    lookUp(QStringLiteral("7"));
    box("edFileNo")->setFocus();

    driveModal([&] { QTest::keyClick(box("edFileNo"), Qt::Key_F1); },
               [&](QWidget* modal) {
                   QCOMPARE(modal, static_cast<QWidget*>(&search));
                   if (!searchFor.isEmpty()) {
                       modal->findChild<QLineEdit*>(QStringLiteral("edFileNo"))->setText(searchFor);
                       QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btReturn")), Qt::LeftButton);
                   }
                   QTest::mouseClick(modal->findChild<QPushButton*>(leaveWith), Qt::LeftButton);
               });
    frmSearch = nullptr;
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(SysMessageSeam::calls().size(), 0);
    QCOMPARE(m_window->findChild<NumericEdit*>(QStringLiteral("edFileNo"))->value(), fileNo.toLongLong());
    QCOMPARE(box("edName")->text(), name);
    QVERIFY(button("btShowCharts")->isEnabled());
    QCOMPARE(m_data->tbProfiles.filter(), QStringLiteral("FileNo=") + fileNo);
}

void tst_ResultForm::helpKeyElsewhereDoesNothing()
{
    TfrmSearch search;
    frmSearch = &search;
    button("btSearch")->setFocus();
    bool opened = false;
    // Should the search window open after all, it is closed again instead of blocking the suite.
    QTimer::singleShot(0, &search, [&] {
        opened = search.isVisible();
        search.reject();
    });
    QTest::keyClick(button("btSearch"), Qt::Key_F1);
    QCoreApplication::processEvents();
    frmSearch = nullptr;
    QVERIFY(!opened);
    QCOMPARE(SysMessageSeam::calls().size(), 0);
}

void tst_ResultForm::failedRebuildEmptiesGrids()
{
    lookUp(QStringLiteral("7"));
    QCOMPARE(gridRows("RzDBGrid1"), 2);
    // Participant 8's question table is missing from the file.
    m_data->Database.execute(QStringLiteral("UPDATE Profiles SET QTable = 'QQQQQQQQQQQQQQQ' WHERE FileNo = 8"));

    SysMessageSeam::setNextAnswer(1);
    lookUp(QStringLiteral("8"));

    QCOMPARE(SysMessageSeam::calls().size(), 1);
    QCOMPARE(SysMessageSeam::calls().constFirst().caption, QStringLiteral("خطا"));
    QVERIFY(SysMessageSeam::calls().constFirst().text.contains(QStringLiteral("QQQQQQQQQQQQQQQ")));
    QCOMPARE(gridRows("RzDBGrid1"), 0);
    QCOMPARE(gridRows("RzDBGrid2"), 0);
    QVERIFY(!button("btShowCharts")->isEnabled());
}

void tst_ResultForm::mainWindowResetsAfterClose()
{
    TfrmMain mainWindow;
    frmMain = &mainWindow;
    m_window->hide();
    bool looked = false;
    driveModal([&] { mainWindow.findChild<QAction*>(QStringLiteral("N3"))->trigger(); },
               [&](QWidget* modal) {
                   QCOMPARE(modal, static_cast<QWidget*>(m_window.get()));
                   lookUp(QStringLiteral("7"));
                   looked = button("btShowCharts")->isEnabled();
                   modal->close();
               });
    frmMain = nullptr;
    if (QTest::currentTestFailed())
        return;

    QVERIFY(looked);
    QCOMPARE(box("edFileNo")->text(), QStringLiteral("0"));
    QCOMPARE(box("edAge")->text(), QStringLiteral("0"));
    QVERIFY(box("edName")->text().isEmpty());
    QVERIFY(box("edGrade")->text().isEmpty());
    QVERIFY(box("edDate")->text().isEmpty());
    QVERIFY(!button("btShowCharts")->isEnabled());
    QVERIFY(!m_data->qTest1.isActive());
    QVERIFY(!m_data->qTest2.isActive());
    // The hidden grade list keeps its choice.
    QCOMPARE(m_window->findChild<QComboBox*>(QStringLiteral("cbGrade"))->currentIndex(), 3);
}

void tst_ResultForm::enterInTheFileNumberLooksUp_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");    // shown after the key, empty when the look-up is refused
    QTest::addColumn<QString>("message"); // the refusal's text, empty when none
    QTest::newRow("Return") << int(Qt::Key_Return) << "8" << QStringLiteral("آقاي علي رضايي") << "";
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter) << "7" << QStringLiteral("خانم مريم کاظمي") << "";
    QTest::newRow("Return without a number asks for one") << int(Qt::Key_Return) << "" << "" << askForNumber;
    QTest::newRow("Return on an unknown number") << int(Qt::Key_Return) << "99" << "" << notFound;
}

void tst_ResultForm::enterInTheFileNumberLooksUp()
{
    QFETCH(int, key);
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(QString, message);

    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QLineEdit* fileNo = box("edFileNo");
    fileNo->setFocus();
    QTest::keyClick(fileNo, Qt::Key_Delete);
    QTest::keyClicks(fileNo, typed);
    if (!message.isEmpty())
        SysMessageSeam::setNextAnswer(1);
    QTest::keyClick(fileNo, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

    QCOMPARE(box("edName")->text(), name);
    QCOMPARE(button("btShowCharts")->isEnabled(), !name.isEmpty());
    QCOMPARE(gridRows("RzDBGrid1"), name.isEmpty() ? 0 : 2);
    const QList<SysMessageCall> calls = SysMessageSeam::calls();
    QCOMPARE(calls.isEmpty() ? QString() : calls.constFirst().text, message);
    QCOMPARE(m_window->focusWidget(), static_cast<QWidget*>(fileNo));
}

void tst_ResultForm::typingReplacesTheNumberOfAResetWindow()
{
    lookUp(QStringLiteral("7"));
    m_window->hide();
    m_window->clearParticipant();
    QCOMPARE(box("edFileNo")->text(), QStringLiteral("0"));
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->focusWidget(), static_cast<QWidget*>(box("edFileNo")));
    QTest::keyClicks(box("edFileNo"), QStringLiteral("8"));
    QCOMPARE(box("edFileNo")->text(), QStringLiteral("8"));
}

void tst_ResultForm::scalesInPersianOrder_data()
{
    QTest::addColumn<std::vector<FixtureItem>>("bank");
    QTest::addColumn<QStringList>("scales");
    QTest::addColumn<QStringList>("subScales");

    QTest::newRow("the clinic's bank") << clinicBank
                                       << QStringList{"خلق عمومی", "درون‌فردی", "سازگاری", "کنترل استرس", "میان‌فردی"}
                                       << QStringList{"ابراز وجود",
                                                      "استقلال",
                                                      "انعطاف‌پذیری",
                                                      "تحمل فشار روانی",
                                                      "حل مسئله",
                                                      "خودآگاهی هیجانی",
                                                      "خودشکوفایی",
                                                      "خوش‌بینی",
                                                      "روابط میان‌فردی",
                                                      "شادمانی",
                                                      "عزت نفس",
                                                      "کنترل تکانه",
                                                      "مسئولیت‌پذیری اجتماعی",
                                                      "واقع‌گرایی",
                                                      "همدلی"};
    // By code point yeh (U+064A) comes before pe, che, zhe, keheh and gaf; in Persian it comes last.
    QTest::newRow("names past yeh by code point")
        << std::vector<FixtureItem>{{QStringLiteral("ياري"), QStringLiteral("گفتگو"), 3},
                                    {QStringLiteral("گذر"), QStringLiteral("پرسش"), 2},
                                    {QStringLiteral("ژرفا"), QStringLiteral("يادگيري"), 1},
                                    {QStringLiteral("چالش"), QStringLiteral("ژرف نگري"), 4},
                                    {QStringLiteral("پيوند"), QStringLiteral("کوشش"), 5}}
        << QStringList{"پيوند", "چالش", "ژرفا", "گذر", "ياري"}
        << QStringList{"پرسش", "ژرف نگري", "کوشش", "گفتگو", "يادگيري"};
}

void tst_ResultForm::scalesInPersianOrder()
{
    QFETCH(std::vector<FixtureItem>, bank);
    QFETCH(QStringList, scales);
    QFETCH(QStringList, subScales);

    lookUpWithBank(bank);
    QCOMPARE(gridColumn("RzDBGrid1"), scales);
    QCOMPARE(gridColumn("RzDBGrid2"), subScales);

    // The report charts the same rows in the same order: scales on page 1, sub-scales on page 2.
    ChartsReport& report = m_window->chartsReport();
    report.PrepareReport(*m_data, m_window->participantHeader());
    const std::vector<Report::PreparedPage>& pages = report.preparedReport().pages;
    QCOMPARE(int(pages.size()), 2);
    for (int page = 0; page < 2; ++page) {
        QStringList bars;
        for (const Report::Bar& bar : pages[size_t(page)].charts.at(0).bars)
            bars << bar.label;
        QCOMPARE(bars, page == 0 ? scales : subScales);
    }
}

void tst_ResultForm::gridsShowEveryRowWhole_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("rows");
    QTest::newRow("scales") << "RzDBGrid1" << 5;
    QTest::newRow("sub-scales") << "RzDBGrid2" << 15;
}

void tst_ResultForm::gridsShowEveryRowWhole()
{
    QFETCH(QString, grid);
    QFETCH(int, rows);

    lookUpWithBank(clinicBank);
    auto* view = m_window->findChild<QTableView*>(grid);
    QCOMPARE(view->model()->rowCount(), rows);
    // The grid lays itself out when the events of the look-up have been handled.
    QCoreApplication::processEvents();
    const QRect viewport = view->viewport()->rect();
    const QFontMetrics cells(view->font());
    const QFontMetrics titles(view->horizontalHeader()->font());
    // Text stands inside a cell less the focus frame's margin and a pixel on either side.
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    for (int column = 0; column < view->model()->columnCount(); ++column) {
        const QString title = view->model()->headerData(column, Qt::Horizontal).toString();
        QVERIFY2(titles.height() <= view->horizontalHeader()->height(), qPrintable(title));
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = view->model()->index(row, column);
            const QString text = index.data().toString();
            const QRect cell = view->visualRect(index);
            QVERIFY2(viewport.contains(cell), qPrintable(QStringLiteral("row %1 (%2): %3 x %4 at %5 outside %6")
                                                            .arg(row)
                                                            .arg(text)
                                                            .arg(cell.width())
                                                            .arg(cell.height())
                                                            .arg(cell.y())
                                                            .arg(viewport.height())));
            // The whole line of text, descenders included, in the cell (its rectangle leaves out the grid line).
            QVERIFY2(cells.height() <= cell.height(), qPrintable(text));
            QVERIFY2(cells.elidedText(text, Qt::ElideRight, cell.width() - 2 * margin) == text, qPrintable(text));
        }
    }
    QVERIFY(!view->verticalScrollBar()->isVisible());
}

void tst_ResultForm::screenshot()
{
    lookUpWithBank(clinicBank);
    QVERIFY(!saveScreenshot(m_window.get(), QStringLiteral("result-window")).isEmpty());
}

QTEST_MAIN(tst_ResultForm)
#include "tst_ResultForm.moc"
