#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "app/MenuStyle.h"
#include "data/DataModule.h"
#include "dialogs/AppFonts.h"
#include "dialogs/BalloonToolTip.h"
#include "dialogs/MessageFrm.h"
#include "tools/ItemStore.h"
#include "tools/ServerStore.h"
#include "tests/support/MessageSeam.h"
#include "tests/support/PgCluster.h"
#include "tests/support/Pixels.h"
#include "tests/support/PlainCopy.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TempRavlenDb.h"
#include "tests/support/ToolProcess.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <stdexcept>

namespace {

// The window system's close request (close box, Alt+F4) reaches Qt through the platform window.
void systemClose(QWidget* window)
{
    QCloseEvent event;
    QApplication::sendEvent(window->windowHandle(), &event);
}

QAction* action(QWidget* window, const char* name)
{
    return window->findChild<QAction*>(QLatin1String(name));
}

} // namespace

class tst_MainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void clientGeometry();
    void menuCaptionsKeepTheirBlanks_data();
    void menuCaptionsKeepTheirBlanks();
    void menuIsDrawnWithLargeIcons();
    void menuItemIsAsWideAsItsCaption_data();
    void menuItemIsAsWideAsItsCaption();
    void shortcuts_data();
    void shortcuts();
    void everyClosePathAsks_data();
    void everyClosePathAsks();
    void exitQuestionWithTheRealDialog();
    void sessionEndMakesTheFileWholeAndClosesUnasked();
    void connectErrorIsReportedAndTheWindowShown();
    void repairedParticipantsAreNamedOnce();
    void readOnlyFileOpensForReviewOnly();
    void titleNamesTheServerInUse();
    void balloonToolTipsAreInstalled();
    void screenshots();

private:
    TfrmMain* m_window = nullptr;
};

void tst_MainForm::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    frmMessage = new TfrmMessage;
    frmAbout = new TfrmAbout;
}

void tst_MainForm::init()
{
    SysMessageSeam::clearAnswers();
    SysMessageSeam::clearCalls();
    m_window = new TfrmMain;
    frmMain = m_window;
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void tst_MainForm::cleanup()
{
    delete m_window;
    m_window = nullptr;
    QCOMPARE(SysMessageSeam::pendingAnswers(), 0);
}

void tst_MainForm::clientGeometry()
{
    // 667 x 363 outer, less the frame allowance.
    QCOMPARE(m_window->size(), QSize(651, 325));
    QCOMPARE(m_window->layoutDirection(), Qt::RightToLeft);
    const QRect screen = m_window->screen()->availableGeometry();
    QVERIFY(qAbs(m_window->geometry().center().x() - screen.center().x()) <= 1);

    auto* title = m_window->findChild<QLabel*>(QStringLiteral("RzLabel1"));
    auto* footer = m_window->findChild<QLabel*>(QStringLiteral("RzLabel2"));
    const QRect client = m_window->centralWidget()->geometry();
    QCOMPARE(footer->height(), 19);
    QCOMPARE(footer->width(), client.width());
    QCOMPARE(footer->geometry().bottom(), client.height() - 1);
    QCOMPARE(title->geometry().bottom() + 1, footer->geometry().top());
    QCOMPARE(title->width(), client.width());
    // The title fits in its area with the font it is drawn in.
    const QRect needed = QFontMetrics(title->font()).boundingRect(title->text());
    QVERIFY(needed.width() < title->width() && needed.height() < title->height());
    QCOMPARE(footer->layoutDirection(), Qt::LeftToRight);
}

void tst_MainForm::menuCaptionsKeepTheirBlanks_data()
{
    // Every item of the menu: its caption as the design quotes it (the "&" before the accelerator letter, the
    // blanks that widen it) and its shortcut.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("File") << "N1" << QStringLiteral("  &پرونده  ") << QKeySequence();
    QTest::newRow("Test") << "N2" << QStringLiteral("&آزمون") << QKeySequence(Qt::CTRL | Qt::Key_1);
    QTest::newRow("Review results") << "N3" << QStringLiteral("&بررسي نتايج               ")
                                    << QKeySequence(Qt::CTRL | Qt::Key_2);
    QTest::newRow("Exit") << "N5" << QStringLiteral("&خروج") << QKeySequence(Qt::Key_Escape);
    QTest::newRow("Help") << "N6" << QStringLiteral("  &کمک  ") << QKeySequence();
    QTest::newRow("About") << "N7" << QStringLiteral("&درباره          ") << QKeySequence(Qt::Key_F1);
}

void tst_MainForm::menuCaptionsKeepTheirBlanks()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);

    auto* bar = m_window->findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
    QString text;
    int drawnWidth = 0;
    QFont font;
    if (auto* menu = m_window->findChild<QMenu*>(name)) {
        QVERIFY(shortcut.isEmpty());
        text = menu->title();
        drawnWidth = bar->actionGeometry(menu->menuAction()).width();
        font = bar->font();
    } else {
        QAction* item = action(m_window, qPrintable(name));
        text = item->text();
        QCOMPARE(item->shortcut(), shortcut);
        auto* owner = qobject_cast<QMenu*>(item->associatedObjects().value(0));
        QVERIFY(owner);
        owner->ensurePolished();
        drawnWidth = owner->sizeHint().width();
        font = owner->font();
    }
    QCOMPARE(text, caption);
    // The blanks widen what is drawn.
    const int withBlanks = QFontMetrics(font).horizontalAdvance(QString(caption).remove(QLatin1Char('&')));
    QVERIFY2(drawnWidth >= withBlanks, qPrintable(QStringLiteral("%1 < %2").arg(drawnWidth).arg(withBlanks)));
}

void tst_MainForm::menuIsDrawnWithLargeIcons()
{
    auto* file = m_window->findChild<QMenu*>(QStringLiteral("N1"));
    QVERIFY(qobject_cast<MenuStyle*>(file->style()));
    QCOMPARE(file->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, file), 24);
    file->popup(m_window->mapToGlobal(QPoint(400, 20)));
    QVERIFY(QTest::qWaitForWindowExposed(file));
    for (const char* name : {"N2", "N3", "N5"}) {
        QAction* item = action(m_window, name);
        QVERIFY(!item->icon().isNull());
        QVERIFY(file->actionGeometry(item).height() >= 24);
        // In the right-to-left menu the picture stands at the right end of the item.
        const QImage image = file->grab(file->actionGeometry(item)).toImage();
        const QRect right(image.width() - 30, 3, 24, image.height() - 6);
        QSet<QRgb> colours;
        for (int x = right.left(); x <= right.right(); ++x)
            for (int y = right.top(); y <= right.bottom(); ++y)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 8, name);
    }
    file->close();
}

void tst_MainForm::menuItemIsAsWideAsItsCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("drawn");
    QTest::newRow("access key") << QStringLiteral("&بررسي نتايج               ")
                                << QStringLiteral("بررسي نتايج               ");
    QTest::newRow("doubled marks draw an ampersand each")
        << QString(20, QLatin1Char('&')) << QString(10, QLatin1Char('&'));
}

void tst_MainForm::menuItemIsAsWideAsItsCaption()
{
    // The item is measured from the caption as it is drawn, so nothing of it is cut off.
    QFETCH(QString, caption);
    QFETCH(QString, drawn);
    MenuStyle style;
    QMenu menu;
    menu.setStyle(&style);
    menu.setFont(designFont(QStringLiteral("Tahoma"), 12));
    QAction* item = menu.addAction(caption);
    menu.ensurePolished();
    const int captionWidth = QFontMetrics(menu.font()).horizontalAdvance(drawn);
    QVERIFY2(menu.actionGeometry(item).width() >= MenuStyle::IconSize + captionWidth,
             qPrintable(QStringLiteral("%1 < %2").arg(menu.actionGeometry(item).width()).arg(captionWidth)));
}

void tst_MainForm::shortcuts_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("name");
    QTest::newRow("Ctrl+1: Test") << QKeySequence(Qt::CTRL | Qt::Key_1) << "N2";
    QTest::newRow("Ctrl+2: Review results") << QKeySequence(Qt::CTRL | Qt::Key_2) << "N3";
    QTest::newRow("F1: About") << QKeySequence(Qt::Key_F1) << "N7";
    QTest::newRow("Esc: Exit") << QKeySequence(Qt::Key_Escape) << "N5";
}

void tst_MainForm::shortcuts()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, name);

    QSignalSpy triggered(action(m_window, qPrintable(name)), &QAction::triggered);
    bool aboutShown = false;
    if (name == QLatin1String("N7")) {
        QTimer::singleShot(0, [&] {
            aboutShown = frmAbout->isVisible();
            frmAbout->close();
        });
    }
    if (name == QLatin1String("N5"))
        SysMessageSeam::setNextAnswer(2);
    QTest::keySequence(m_window, keys);
    QCOMPARE(triggered.count(), 1);
    if (name == QLatin1String("N7"))
        QVERIFY(aboutShown);
    QCOMPARE(SysMessageSeam::calls().size(), name == QLatin1String("N5") ? 1 : 0);
    QVERIFY(m_window->isVisible());
}

void tst_MainForm::everyClosePathAsks_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    for (const char* path : {"menu Exit", "Esc", "close()", "window system close"}) {
        QTest::addRow("%s, Yes", path) << QString::fromLatin1(path) << 1 << true;
        QTest::addRow("%s, No", path) << QString::fromLatin1(path) << 2 << false;
    }
}

void tst_MainForm::everyClosePathAsks()
{
    QFETCH(QString, path);
    QFETCH(int, answer);
    QFETCH(bool, closes);

    SysMessageSeam::setNextAnswer(answer);
    if (path == QLatin1String("menu Exit"))
        action(m_window, "N5")->trigger();
    else if (path == QLatin1String("Esc"))
        QTest::keyClick(m_window, Qt::Key_Escape);
    else if (path == QLatin1String("close()"))
        m_window->close();
    else
        systemClose(m_window);

    const auto calls = SysMessageSeam::calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].caption, QStringLiteral("خروج از برنامه"));
    QCOMPARE(calls[0].text, QStringLiteral("از برنامه خارج شويم؟"));
    QCOMPARE(calls[0].buttons, 1);
    QCOMPARE(calls[0].icon, 4);
    QCOMPARE(calls[0].defaultButton, 2);
    QCOMPARE(m_window->isVisible(), !closes);
}

void tst_MainForm::exitQuestionWithTheRealDialog()
{
    QString focused;
    QString caption;
    QTimer::singleShot(0, [&] {
        frmMessage->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frmMessage));
        caption = frmMessage->windowTitle();
        focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // the default: No
    });
    QTest::keyClick(m_window, Qt::Key_Escape);
    QCOMPARE(caption, QStringLiteral("خروج از برنامه"));
    QCOMPARE(focused, QStringLiteral("btKey2"));
    QVERIFY(m_window->isVisible());

    QTimer::singleShot(
        0, [] { QTest::mouseClick(frmMessage->findChild<QPushButton*>(QStringLiteral("btKey1")), Qt::LeftButton); });
    systemClose(m_window);
    QVERIFY(!m_window->isVisible());
}

// The desktop session ends: nobody is there to answer the exit question, and the session may end the process
// soon after, so the file is made whole at once.
void tst_MainForm::sessionEndMakesTheFileWholeAndClosesUnasked()
{
    const TempRavlenDb file;
    TData data;
    Data = &data;
    data.ConnectToDatabase(file.path());
    data.Database.execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (4, 'AAAAAAAAAAAAAAA')"));
    const QString fileNos = QStringLiteral("SELECT FileNo FROM Profiles");
    QCOMPARE(firstColumnOfPlainCopy(file.path(), fileNos), QStringList());

    m_window->sessionEnding();
    Data = nullptr;
    QCOMPARE(firstColumnOfPlainCopy(file.path(), fileNos), QStringList{"4"});
    systemClose(m_window);
    QVERIFY(!m_window->isVisible());
    QCOMPARE(SysMessageSeam::calls().size(), 0);
}

void tst_MainForm::connectErrorIsReportedAndTheWindowShown()
{
    delete m_window;
    m_window = new TfrmMain;
    frmMain = m_window;
    int attempts = 0;
    m_window->setConnectStep([&]() -> QList<int> {
        ++attempts;
        throw std::runtime_error("فايل Ravlen.mdb در پوشه کار پيدا نشد");
    });
    SysMessageSeam::setNextAnswer(1);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QCOMPARE(attempts, 1);
    const auto calls = SysMessageSeam::calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].text, QStringLiteral("فايل Ravlen.mdb در پوشه کار پيدا نشد"));
    QCOMPARE(calls[0].icon, 2);
    QVERIFY(m_window->isVisible());
}

// Two registrations cut short before their question tables were made: the first showing makes the tables and
// names both file numbers in one notice; a later showing has nothing to say.
void tst_MainForm::repairedParticipantsAreNamedOnce()
{
    const TempRavlenDb file;
    file.connect()->execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (12, 'CCCCCCCCCCCCCCC'), "
                                           "(7, 'DDDDDDDDDDDDDDD')"));
    TData data;
    delete m_window;
    m_window = new TfrmMain;
    frmMain = m_window;
    m_window->setConnectStep([&] { return data.ConnectToDatabase(file.path()); });

    const ScopedMessageAnswers answers;
    QTimer::singleShot(0, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(frmMessage));
        saveScreenshot(frmMessage, QStringLiteral("main-repair-notice"));
        QTest::mouseClick(frmMessage->findChild<QPushButton*>(QStringLiteral("btKey1")), Qt::LeftButton);
    });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QVERIFY(data.tbProfiles.isActive());
    QVERIFY(data.Database.tableExists(QStringLiteral("CCCCCCCCCCCCCCC")));
    QVERIFY(data.Database.tableExists(QStringLiteral("DDDDDDDDDDDDDDD")));
    QCOMPARE(answers.calls().size(), 1);
    const SysMessageCall notice = answers.calls().first();
    QCOMPARE(notice.caption, QStringLiteral("ترميم فايل اطلاعات"));
    QCOMPARE(notice.text, QStringLiteral("ثبت نام اين شماره پرونده ها نيمه تمام مانده بود: 7، 12. جدول سوالات آنها "
                                         "اکنون ساخته شد؛ آزمون آنها را دوباره اجرا کنيد."));
    QCOMPARE(notice.buttons, 0);
    QCOMPARE(notice.icon, 3);
    QCOMPARE(notice.defaultButton, 1);

    m_window->hide();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QCOMPARE(answers.calls().size(), 1);
}

// A file nobody may write (an archive copy) opens for reading: Review results stays on, Test goes off with the
// read-only report, and the repair the file waits for is named, not made.
void tst_MainForm::readOnlyFileOpensForReviewOnly()
{
    const TempRavlenDb file;
    file.connect()->execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (12, 'CCCCCCCCCCCCCCC')"));
    QVERIFY(QFile::setPermissions(file.path(), QFile::ReadOwner | QFile::ReadGroup));
    const QByteArray bytes = fileBytes(file.path());
    TData data;
    Data = &data;
    delete m_window;
    m_window = new TfrmMain;
    frmMain = m_window;
    m_window->setConnectStep([&] { return data.ConnectToDatabase(file.path()); });

    const ScopedMessageAnswers answers{1, 1};
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    Data = nullptr;
    QVERIFY(data.tbProfiles.isActive());
    QVERIFY(!action(m_window, "N2")->isEnabled());
    QVERIFY(action(m_window, "N3")->isEnabled());
    QCOMPARE(answers.calls().size(), 2);
    // The read-only sentence, naming the file's folder.
    QVERIFY2(answers.calls()[0].text.contains(QStringLiteral("فقط خواندني")) &&
                 answers.calls()[0].text.contains(file.dir()),
             qPrintable(answers.calls()[0].text));
    QCOMPARE(answers.calls()[1].caption, QStringLiteral("ترميم فايل اطلاعات"));
    QCOMPARE(answers.calls()[1].text, QStringLiteral("ثبت نام اين شماره پرونده ها نيمه تمام مانده بود: 12. جدول سوالات "
                                                     "آنها وقتي ساخته مي شود که برنامه بتواند در فايل اطلاعات بنويسد."));
    QVERIFY(!data.Database.tableExists(QStringLiteral("CCCCCCCCCCCCCCC")));
    data.Database.close();
    QCOMPARE(fileBytes(file.path()), bytes);
}

// A workstation on the clinic's server must not pass for one working on its own file: the title names the server,
// its address kept in one left-to-right piece inside the Persian title; on a file the title stays as designed.
void tst_MainForm::titleNamesTheServerInUse()
{
    const QString designedTitle = m_window->windowTitle();
    const TempRavlenDb file;
    const QString serverUri = PgCluster::instance().createDatabase();
    ServerStore::createServer(serverUri, ItemStore::bundledItems());

    const auto titleWhenConnectedTo = [&](const QString& dataSource) {
        // The window asks the program's data module, as it does after the real start-up.
        TData data;
        Data = &data;
        delete m_window;
        m_window = new TfrmMain;
        frmMain = m_window;
        m_window->setConnectStep([&] { return data.ConnectToDatabase(dataSource); });
        m_window->show();
        const QString title =
            QTest::qWaitForWindowExposed(m_window) ? m_window->windowTitle() : QStringLiteral("window not shown");
        Data = nullptr;
        return title;
    };
    QCOMPARE(titleWhenConnectedTo(file.path()), designedTitle);
    QCOMPARE(titleWhenConnectedTo(serverUri), designedTitle + QStringLiteral(" - سرور ") + QChar(0x202A) +
                                                  serverUri + QChar(0x202C));
}

void tst_MainForm::balloonToolTipsAreInstalled()
{
    QWidget widget;
    widget.setToolTip(QStringLiteral("راهنما"));
    widget.show();
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), widget.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&widget, &event);
    QVERIFY(BalloonToolTip::instance()->isVisible());
    QCOMPARE(BalloonToolTip::instance()->text(), QStringLiteral("راهنما"));
    BalloonToolTip::instance()->hideText();
}

void tst_MainForm::screenshots()
{
    const QImage window = m_window->grab().toImage();
    QVERIFY(!saveScreenshot(window, QStringLiteral("main-window")).isEmpty());
    // The title, grey, whole and centred in its area; the credit line, navy, whole and from the left edge.
    for (const char* name : {"RzLabel1", "RzLabel2"}) {
        auto* label = m_window->findChild<QLabel*>(QLatin1String(name));
        const QRect area(label->mapTo(m_window, QPoint(0, 0)), label->size());
        const QColor colour = label->palette().color(QPalette::WindowText);
        const QRect ink = inkBounds(window.copy(area), closeTo(colour, 48));
        const int textWidth = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY2(ink.width() > textWidth * 9 / 10, name);
        QVERIFY2(ink.left() > 0 && ink.right() < area.width() - 1, name);
        if (label->alignment() & Qt::AlignHCenter)
            QVERIFY2(qAbs(ink.center().x() - area.width() / 2) <= 3, name);
        else
            QVERIFY2(ink.left() < 10, name);
    }
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("RzLabel1"))->palette().color(QPalette::WindowText),
             QColor(128, 128, 128));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("RzLabel2"))->palette().color(QPalette::WindowText),
             QColor(0, 0, 128));

    auto* bar = m_window->findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
    for (const char* name : {"N1", "N6"}) {
        auto* menu = m_window->findChild<QMenu*>(QLatin1String(name));
        const QRect item = bar->actionGeometry(menu->menuAction());
        // The menu bar shows the menu's caption.
        QVERIFY2(countPixels(window.copy(item), darkerThan(100)) > 20, name);
        menu->popup(bar->mapToGlobal(item.bottomRight()));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(menu->actions().constFirst());
        const QImage popup = menu->grab().toImage();
        QVERIFY(!saveScreenshot(popup, QStringLiteral("main-menu-") + QLatin1String(name)).isEmpty());
        // Every command shows its caption left of its picture, and its shortcut at the left end.
        for (QAction* command : menu->actions()) {
            if (command->isSeparator())
                continue;
            const QRect row = menu->actionGeometry(command);
            const QImage text = popup.copy(row.adjusted(0, 2, -(MenuStyle::IconSize + 8), -2));
            const QRect ink = inkBounds(text, darkerThan(100));
            const int captionWidth =
                QFontMetrics(menu->font()).horizontalAdvance(command->text().trimmed().remove(QLatin1Char('&')));
            QVERIFY2(ink.width() > captionWidth, qPrintable(command->objectName()));
            QVERIFY2(ink.left() < 40, qPrintable(command->objectName()));
        }
        menu->close();
    }
}

QTEST_MAIN(tst_MainForm)
#include "tst_MainForm.moc"
