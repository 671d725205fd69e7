#include "data/DataError.h"
#include "dialogs/AppFonts.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/PictureButtonStyle.h"
#include "tests/support/Pixels.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <stdexcept>

namespace {

using Interaction = std::function<void(TfrmMessage*)>;

// Runs `interaction` against the dialog once the next SysMessage has shown it. Should the interaction fail
// without closing the dialog, a watchdog ends the showing so the suite cannot hang.
void whenShown(Interaction interaction, TfrmMessage* expected = nullptr)
{
    QTimer::singleShot(0, [interaction, expected] {
        TfrmMessage* dialog = expected ? expected : frmMessage;
        QVERIFY(dialog && dialog->isVisible());
        QPointer<TfrmMessage> guard(dialog);
        QTimer::singleShot(5000, [guard] {
            if (guard && guard->isVisible())
                guard->done(-1);
        });
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        interaction(dialog);
    });
}

QPushButton* key(TfrmMessage* dialog, int number)
{
    return dialog->findChild<QPushButton*>(QStringLiteral("btKey%1").arg(number));
}

void pressKey(TfrmMessage* dialog, Qt::Key k)
{
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : dialog, k);
}

// A window close asked for by the window system (Alt+F4, the task bar): Qt's route for it goes through the
// platform window.
void systemClose(QWidget* window)
{
    QCloseEvent event;
    QApplication::sendEvent(window->windowHandle(), &event);
}

const QString LongText = QStringLiteral(
    "براي ثبت آزمون جديد شماره پرونده را وارد کنيد و تاريخ، نام، سن، جنسيت و تحصيلات آزمودني را بنويسيد. "
    "پس از تاييد، جدول پرسشهاي آزمودني ساخته مي شود و پرسشها يکي پس از ديگري نمايش داده مي شوند. "
    "هر پاسخ بي درنگ در پايگاه داده نوشته مي شود و پايان آزمون تنها وقتي پذيرفته است که به همه پرسشها "
    "پاسخ داده شده باشد. نتايج آزمون را مي توان در پنجره بررسي نتايج ديد و نمودارهاي آن را چاپ کرد. "
    "اين متن بلند است تا پنجره پيغام بزرگتر شود و همه آن، همراه دکمه ها، ديده شود.");

} // namespace

class tst_MessageFrm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void answers_data();
    void answers();
    void escAndSystemCloseAreRefusedWithoutCancel();
    void toolWindowOnTopWithoutCloseBox();
    void buttonSets_data();
    void buttonSets();
    void windowGrowth_data();
    void windowGrowth();
    void nothingLeaksIntoTheNextCall();
    void queuedAnswersDoNotShow();
    void errorReportDuringAQuestionGetsItsOwnDialog();
    void laterShowingsStayWhereTheDialogWasLeft();
    void ampersandInTheTextIsDrawn();
    void screenshots_data();
    void screenshots();
};

void tst_MessageFrm::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    // The application's own button style, as every window has it.
    QApplication::setStyle(new PictureButtonStyle);
    frmMessage = new TfrmMessage;
}

void tst_MessageFrm::init()
{
    SysMessageSeam::clearAnswers();
    SysMessageSeam::clearCalls();
}

void tst_MessageFrm::answers_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<QString>("action"); // steps: "1".."3" click that button, or a key: "enter", "tab", "left"...
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("expected");

    QTest::newRow("set 1: Yes") << 1 << 2 << "1"
                                << "btKey2" << 1;
    QTest::newRow("set 1: No") << 1 << 2 << "2"
                               << "btKey2" << 2;
    QTest::newRow("set 1, default 2: Enter answers No") << 1 << 2 << "enter"
                                                        << "btKey2" << 2;
    QTest::newRow("set 1, default 1: Enter answers Yes") << 1 << 1 << "enter"
                                                         << "btKey1" << 1;
    QTest::newRow("set 0, default 1: Enter") << 0 << 1 << "enter"
                                             << "btKey1" << 1;
    QTest::newRow("set 0, default 0 counts as 1") << 0 << 0 << "enter"
                                                  << "btKey1" << 1;
    QTest::newRow("set 1, unknown default: Enter stays on the first") << 1 << 7 << "enter"
                                                                      << "btKey1" << 1;
    QTest::newRow("set 0, default 2 not shown: Enter stays on OK") << 0 << 2 << "enter"
                                                                   << "btKey1" << 1;
    QTest::newRow("unknown set 9 still offers OK") << 9 << 1 << "enter"
                                                   << "btKey1" << 1;
    QTest::newRow("set 2: Continue") << 2 << 1 << "1"
                                     << "btKey1" << 1;
    QTest::newRow("set 2: Cancel") << 2 << 1 << "2"
                                   << "btKey1" << 2;
    QTest::newRow("set 3: Cancel closes with 0") << 3 << 1 << "3"
                                                 << "btKey1" << 0;
    QTest::newRow("set 3: Esc cancels") << 3 << 2 << "esc"
                                        << "btKey2" << 0;
    QTest::newRow("set 3, default 3: Enter cancels") << 3 << 3 << "enter"
                                                     << "btKey3" << 0;
    // Enter presses the button the focus has moved to, not the one that had it first.
    QTest::newRow("set 1, default 2: Tab to Yes, Enter") << 1 << 2 << "tab enter"
                                                         << "btKey2" << 1;
    QTest::newRow("set 1, default 2: arrow right to Yes, Enter") << 1 << 2 << "right enter"
                                                                 << "btKey2" << 1;
    QTest::newRow("set 1, default 1: arrow left to No, Enter") << 1 << 1 << "left enter"
                                                               << "btKey1" << 2;
    QTest::newRow("set 2, default 1: Tab to Cancel, Enter") << 2 << 1 << "tab enter"
                                                            << "btKey1" << 2;
    QTest::newRow("set 2, default 2: Shift+Tab to Continue, Enter") << 2 << 2 << "backtab enter"
                                                                    << "btKey2" << 1;
    QTest::newRow("set 3, default 1: Tab to No, Enter") << 3 << 1 << "tab enter"
                                                        << "btKey1" << 2;
    QTest::newRow("set 3, default 1: arrow left twice to Cancel, Enter") << 3 << 1 << "left left enter"
                                                                         << "btKey1" << 0;
    QTest::newRow("set 3, default 3: arrow right to No, Enter") << 3 << 3 << "right enter"
                                                                << "btKey3" << 2;
}

void tst_MessageFrm::answers()
{
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(QString, action);
    QFETCH(QString, focused);
    QFETCH(int, expected);

    QString focusSeen;
    whenShown([&](TfrmMessage* dialog) {
        if (QWidget* focus = QApplication::focusWidget())
            focusSeen = focus->objectName();
        static const QHash<QString, Qt::Key> keys{{"enter", Qt::Key_Return}, {"esc", Qt::Key_Escape},
                                                  {"tab", Qt::Key_Tab},      {"backtab", Qt::Key_Backtab},
                                                  {"left", Qt::Key_Left},    {"right", Qt::Key_Right}};
        for (const QString& step : action.split(QLatin1Char(' '))) {
            if (keys.contains(step))
                pressKey(dialog, keys[step]);
            else
                QTest::mouseClick(key(dialog, step.toInt()), Qt::LeftButton);
        }
    });
    const int result = SysMessage(QStringLiteral("پرسش"), QStringLiteral("ادامه مي دهيد؟"), buttons, 4, defaultButton);
    QCOMPARE(focusSeen, focused);
    QCOMPARE(result, expected);
    QVERIFY(!frmMessage->isVisible());
}

void tst_MessageFrm::escAndSystemCloseAreRefusedWithoutCancel()
{
    bool stayedOpen = false;
    whenShown([&](TfrmMessage* dialog) {
        pressKey(dialog, Qt::Key_Escape);
        systemClose(dialog);
        dialog->close();
        QTest::qWait(20);
        stayedOpen = dialog->isVisible();
        QTest::mouseClick(key(dialog, 2), Qt::LeftButton);
    });
    QCOMPARE(SysMessage(QStringLiteral("پرسش"), QStringLiteral("متن"), 1, 4, 2), 2);
    QVERIFY(stayedOpen);
}

void tst_MessageFrm::toolWindowOnTopWithoutCloseBox()
{
    const Qt::WindowFlags flags = frmMessage->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint | Qt::WindowSystemMenuHint)));
    QCOMPARE(frmMessage->layoutDirection(), Qt::RightToLeft);
}

void tst_MessageFrm::buttonSets_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("count");
    QTest::newRow("set 0") << 0 << 1;
    QTest::newRow("set 1") << 1 << 2;
    QTest::newRow("set 2") << 2 << 2;
    QTest::newRow("set 3") << 3 << 3;
}

void tst_MessageFrm::buttonSets()
{
    QFETCH(int, buttons);
    QFETCH(int, count);

    QList<QRect> shown;
    QStringList hidden;
    whenShown([&](TfrmMessage* dialog) {
        for (int i = 1; i <= 3; ++i) {
            if (key(dialog, i)->isVisible())
                shown.append(key(dialog, i)->geometry());
            else
                hidden.append(key(dialog, i)->objectName());
        }
        QTest::mouseClick(key(dialog, 1), Qt::LeftButton);
    });
    QCOMPARE(SysMessage(QStringLiteral("پيام"), QStringLiteral("متن"), buttons, 3, 1), 1);

    // The set sits at the left end of the bottom row, the first button rightmost, 4 px apart.
    QCOMPARE(shown.size(), count);
    QCOMPARE(hidden.size(), 3 - count);
    QCOMPARE(shown.last().left(), 5);
    for (int i = 0; i + 1 < shown.size(); ++i)
        QCOMPARE(shown[i].left() - shown[i + 1].right() - 1, 4);
    for (const QRect& r : shown)
        QCOMPARE(r.size(), QSize(100, 32));
}

void tst_MessageFrm::windowGrowth_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("one line") << QStringLiteral("از برنامه خارج شويم؟");
    QTest::newRow("long text") << LongText;
    QTest::newRow("many short lines") << QStringLiteral(
        "سطر اول\nسطر دوم\nسطر سوم\nسطر چهارم\nسطر پنجم\nسطر ششم\nسطر هفتم");
}

void tst_MessageFrm::windowGrowth()
{
    QFETCH(QString, text);
    QSize client;
    QRect panel, label, button;
    int neededHeight = 0;
    whenShown([&](TfrmMessage* dialog) {
        client = dialog->size();
        panel = dialog->findChild<QWidget*>(QStringLiteral("msgPanel"))->geometry();
        auto* msgText = dialog->findChild<QLabel*>(QStringLiteral("msgText"));
        label = msgText->geometry();
        neededHeight = msgText->heightForWidth(msgText->width());
        button = key(dialog, 1)->geometry();
        QTest::mouseClick(key(dialog, 1), Qt::LeftButton);
    });
    QCOMPARE(SysMessage(QStringLiteral("پيام"), text, 0, 3, 1), 1);

    QCOMPARE(client.width(), 504);
    QCOMPARE(label.left(), 10);
    QCOMPARE(label.width(), 430);
    QVERIFY(label.height() >= 100);
    QVERIFY2(label.height() >= neededHeight, "the wrapped text is taller than its label");
    // Window and panel follow the label: outer height = label + 125 (client + 38), panel = label + 40.
    QCOMPARE(client.height(), label.height() + 125 - 38);
    QCOMPARE(panel.height(), label.height() + 40);
    QVERIFY(label.bottom() <= panel.bottom());
    QVERIFY(button.top() > panel.bottom());
    QCOMPARE(client.height() - (button.bottom() + 1), 4);
    if (QTest::currentDataTag() == QLatin1String("one line")) {
        QCOMPARE(client.height(), 225 - 38);
        QCOMPARE(panel.height(), 140);
    } else {
        QVERIFY(client.height() > 225 - 38);
    }
}

void tst_MessageFrm::nothingLeaksIntoTheNextCall()
{
    QString title;
    QStringList visibleIcons;
    int visibleButtons = 0;
    whenShown([&](TfrmMessage* dialog) { QTest::mouseClick(key(dialog, 2), Qt::LeftButton); });
    QCOMPARE(SysMessage(QStringLiteral("اول"), LongText, 3, 2, 1), 2);

    whenShown([&](TfrmMessage* dialog) {
        title = dialog->windowTitle();
        for (const char* name : {"imgOK", "imgDan", "imgInfo", "imgHelp"}) {
            if (dialog->findChild<QLabel*>(QLatin1String(name))->isVisible())
                visibleIcons.append(QLatin1String(name));
        }
        for (int i = 1; i <= 3; ++i)
            visibleButtons += key(dialog, i)->isVisible() ? 1 : 0;
        QTest::mouseClick(key(dialog, 1), Qt::LeftButton);
    });
    QCOMPARE(SysMessage(QStringLiteral("دوم"), QStringLiteral("کوتاه"), 0, 0, 1), 1);
    QCOMPARE(title, QStringLiteral("دوم"));
    QVERIFY2(visibleIcons.isEmpty(), qPrintable(visibleIcons.join(',')));
    QCOMPARE(visibleButtons, 1);
    QCOMPARE(frmMessage->size(), QSize(504, 225 - 38));
}

void tst_MessageFrm::queuedAnswersDoNotShow()
{
    SysMessageSeam::setNextAnswers({1, 2});
    QCOMPARE(SysMessage(QStringLiteral("الف"), QStringLiteral("متن الف"), 1, 4, 2), 1);
    QCOMPARE(SysMessage(QStringLiteral("ب"), QStringLiteral("متن ب"), 1, 4, 2), 2);
    QCOMPARE(SysMessageSeam::pendingAnswers(), 0);
    const auto calls = SysMessageSeam::calls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[1].caption, QStringLiteral("ب"));
    QCOMPARE(calls[1].text, QStringLiteral("متن ب"));
    QCOMPARE(calls[1].answer, 2);
    QVERIFY(!calls[0].shown);
    QVERIFY(!frmMessage->isVisible());

    // With the queue empty the real dialog shows again.
    whenShown([](TfrmMessage* dialog) { QTest::mouseClick(key(dialog, 1), Qt::LeftButton); });
    QCOMPARE(SysMessage(QStringLiteral("ج"), QStringLiteral("متن ج"), 0, 3, 1), 1);
    QVERIFY(SysMessageSeam::calls().last().shown);
}

void tst_MessageFrm::errorReportDuringAQuestionGetsItsOwnDialog()
{
    QString nestedText;
    QString questionTitleAfter;
    whenShown([&](TfrmMessage* question) {
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* other = qobject_cast<TfrmMessage*>(w);
                if (other && other != frmMessage && other->isVisible()) {
                    nestedText = other->findChild<QLabel*>(QStringLiteral("msgText"))->text();
                    QTest::mouseClick(key(other, 1), Qt::LeftButton);
                }
            }
        });
        guarded([] { throw std::runtime_error("پايگاه داده در دسترس نيست"); });
        questionTitleAfter = question->windowTitle();
        QTest::mouseClick(key(question, 1), Qt::LeftButton);
    });
    QCOMPARE(SysMessage(QStringLiteral("پرسش باز"), QStringLiteral("ادامه؟"), 1, 4, 2), 1);
    QCOMPARE(nestedText, QStringLiteral("پايگاه داده در دسترس نيست"));
    QCOMPARE(questionTitleAfter, QStringLiteral("پرسش باز"));
}

void tst_MessageFrm::laterShowingsStayWhereTheDialogWasLeft()
{
    QPoint moved;
    whenShown([&](TfrmMessage* dialog) {
        dialog->move(dialog->pos() + QPoint(37, 23));
        moved = dialog->pos();
        QTest::mouseClick(key(dialog, 1), Qt::LeftButton);
    });
    SysMessage(QStringLiteral("الف"), QStringLiteral("متن"), 0, 3, 1);
    QPoint again;
    whenShown([&](TfrmMessage* dialog) {
        again = dialog->pos();
        QTest::mouseClick(key(dialog, 1), Qt::LeftButton);
    });
    SysMessage(QStringLiteral("ب"), LongText, 0, 3, 1);
    QCOMPARE(again, moved);
}

void tst_MessageFrm::ampersandInTheTextIsDrawn()
{
    // A folder named in an error report: the button style of the whole application must not take the "&" for
    // an access-key mark.
    const QString text = QStringLiteral("R&D");
    QImage drawn;
    whenShown([&](TfrmMessage* dialog) {
        drawn = dialog->findChild<QLabel*>(QStringLiteral("msgText"))->grab().toImage();
        QTest::mouseClick(key(dialog, 1), Qt::LeftButton);
    });
    SysMessage(QStringLiteral("خطا"), text, Buttons::Ok, Icon::Danger, DefaultButton::First);
    saveScreenshot(drawn, QStringLiteral("MessageFrm-ampersand"));
    const QFontMetrics metrics(frmMessage->findChild<QLabel*>(QStringLiteral("msgText"))->font());
    const int ampersand = metrics.horizontalAdvance(QLatin1Char('&'));
    const int inkWidth = inkBounds(drawn, darkerThan(160)).width();
    QVERIFY2(inkWidth > metrics.horizontalAdvance(QStringLiteral("RD")) + ampersand / 2,
             qPrintable(QStringLiteral("ink %1 px wide").arg(inkWidth)));
    QCOMPARE(frmMessage->findChild<QLabel*>(QStringLiteral("msgText"))->text(), text);
}

void tst_MessageFrm::screenshots_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("captions"); // the shown buttons, first (rightmost) first
    QTest::addColumn<QString>("shield");
    QTest::newRow("message-set0-notice") << 0 << 3 << QStringLiteral("شماره پرونده را وارد کنيد.")
                                         << QStringList{"قبول"} << "amber";
    QTest::newRow("message-set1-question")
        << 1 << 4 << QStringLiteral("از برنامه خارج شويم؟") << QStringList{"بلي", "خير"} << "blue";
    QTest::newRow("message-set2-danger") << 2 << 2 << QStringLiteral("آزمون نيمه کاره مي ماند. ادامه مي دهيد؟")
                                         << QStringList{"ادامه", "انصراف"} << "red";
    QTest::newRow("message-set3-ok") << 3 << 1 << LongText << QStringList{"بلي", "خير", "انصراف"} << "green";
    // An error report naming a folder with a blank, the command that makes the file and the technical line.
    QTest::newRow("message-with-path")
        << 0 << 2
        << userMessage(DataError(QStringLiteral("Cannot open database file '/tmp/ravlen clinic/Ravlen.mdb': unable "
                                                "to open database file."),
                                 DataError::Kind::MissingFile))
        << QStringList{"قبول"} << "red";
    QTest::newRow("message-no-icon") << 0 << 0 << QStringLiteral("بدون نشان") << QStringList{"قبول"} << "none";
    QTest::newRow("message-unknown-icon")
        << 1 << 5 << QStringLiteral("نشان ناشناخته") << QStringList{"بلي", "خير"} << "none";
}

void tst_MessageFrm::screenshots()
{
    QFETCH(int, buttons);
    QFETCH(int, icon);
    QFETCH(QString, text);
    QFETCH(QStringList, captions);
    QFETCH(QString, shield);

    QImage picture;
    QStringList shownCaptions;
    QRect textArea;
    QSize textNeeds;
    whenShown([&](TfrmMessage* dialog) {
        picture = dialog->grab().toImage();
        saveScreenshot(picture, QString::fromLatin1(QTest::currentDataTag()));
        for (int i = 1; i <= 3; ++i)
            if (key(dialog, i)->isVisible())
                shownCaptions << key(dialog, i)->text();
        const auto* label = dialog->findChild<QLabel*>(QStringLiteral("msgText"));
        textArea = label->geometry();
        textNeeds = QSize(label->width(), label->heightForWidth(label->width()));
        QTest::mouseClick(key(dialog, 1), Qt::LeftButton);
    });
    QCOMPARE(SysMessage(QStringLiteral("پيغام سيستم"), text, buttons, icon, 1), 1);
    QVERIFY(!picture.isNull());
    QCOMPARE(shownCaptions, captions);
    // The shield sits at the right of the message area.
    QCOMPARE(colourFamily(picture.copy(448, 8, 49, 48)), shield);
    // The whole text is shown, above the buttons.
    QVERIFY(textArea.height() >= textNeeds.height());
    QVERIFY(textArea.bottom() < picture.height() - 32 - 4);
}

QTEST_MAIN(tst_MessageFrm)
#include "tst_MessageFrm.moc"
