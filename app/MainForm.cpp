#include "app/MainForm.h"
#include "ui_MainForm.h"

#include "app/AboutForm.h"
#include "app/MenuStyle.h"
#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/DbBackend.h"
#include "dialogs/AppFonts.h"
#include "dialogs/BalloonToolTip.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/SvgPixmap.h"
#include "dialogs/WindowGeometry.h"
#include "results/ResultForm.h"
#include "testing/NewTestForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>

TfrmMain* frmMain = nullptr;

namespace {

QString repairCaption()
{
    return QStringLiteral("ترميم فايل اطلاعات");
}

QString fileNumbersText(const QList<int>& fileNos)
{
    QStringList numbers;
    for (const int fileNo : fileNos)
        numbers.append(QString::number(fileNo));
    return numbers.join(QStringLiteral("، "));
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), m_ui(new Ui::TfrmMain)
{
    m_ui->setupUi(this);
    resize(clientSizeForOuter(QSize(667, 363)));
    setFont(designFont(QStringLiteral("Tahoma"), 12));

    m_ui->RzLabel1->setFont(designFont(QStringLiteral("Tahoma"), 24, true));
    QPalette grey = m_ui->RzLabel1->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    m_ui->RzLabel1->setPalette(grey);
    m_ui->RzLabel2->setFont(designFont(QStringLiteral("Calibri"), 16));
    QPalette navy = m_ui->RzLabel2->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_ui->RzLabel2->setPalette(navy);
    m_ui->RzLabel2->setContentsMargins(4, 0, 4, 0);

    // The menus are drawn by our own style, with 24 x 24 pictures beside the commands.
    m_menuStyle = new MenuStyle;
    m_menuStyle->setParent(this);
    const QFont menuFont = designFont(QStringLiteral("Tahoma"), 12);
    m_ui->MainMenu1->setFont(menuFont);
    m_ui->MainMenu1->setStyle(m_menuStyle);
    for (QMenu* menu : {m_ui->N1, m_ui->N6}) {
        menu->setStyle(m_menuStyle);
        menu->setFont(menuFont);
    }
    const QSize iconSize(MenuStyle::IconSize, MenuStyle::IconSize);
    m_ui->N2->setIcon(svgIcon(QStringLiteral(":/app/test.svg"), iconSize));
    m_ui->N3->setIcon(svgIcon(QStringLiteral(":/app/results.svg"), iconSize));
    m_ui->N5->setIcon(svgIcon(QStringLiteral(":/app/exit.svg"), iconSize));
    m_ui->N7->setIcon(svgIcon(QStringLiteral(":/app/about.svg"), iconSize));
    for (QAction* action : m_ui->N1->actions()) {
        if (action->isSeparator())
            action->setObjectName(QStringLiteral("N4"));
    }
    // The shortcuts act wherever the focus is in this window, menus closed.
    for (QAction* action : {m_ui->N2, m_ui->N3, m_ui->N5, m_ui->N7}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    installBalloonToolTips();

    connect(m_ui->N2, &QAction::triggered, this, guardedSlot(this, &TfrmMain::N2Click));
    connect(m_ui->N3, &QAction::triggered, this, guardedSlot(this, &TfrmMain::N3Click));
    connect(m_ui->N5, &QAction::triggered, this, guardedSlot(this, &TfrmMain::N5Click));
    connect(m_ui->N7, &QAction::triggered, this, guardedSlot(this, &TfrmMain::N7Click));
}

TfrmMain::~TfrmMain()
{
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::setConnectStep(std::function<QList<int>()> step)
{
    m_connectStep = std::move(step);
}

void TfrmMain::FormShow()
{
    // Connecting to the database: the data module disconnects, builds the connection string for
    // Ravlen.mdb in the current working directory, connects and opens tbProfiles. It names the participants
    // whose question tables it had to make; the operator hears of them once, as the next connect finds none.
    if (!m_connectStep)
        return;
    QList<int> repaired;
    try {
        repaired = m_connectStep();
    } catch (...) {
        // Without its database the program can neither test nor review: after the report those two commands
        // stay off, so the window does not offer what would only fail again. Exit and About still work.
        m_ui->N2->setEnabled(false);
        m_ui->N3->setEnabled(false);
        throw;
    }
    showDatabaseInUse();
    if (Data && Data->Database.isReadOnly()) {
        showReadOnlyOpen();
        return;
    }
    if (repaired.isEmpty())
        return;
    SysMessage(repairCaption(),
               QStringLiteral("ثبت نام اين شماره پرونده ها نيمه تمام مانده بود: %1. جدول سوالات آنها اکنون ساخته "
                              "شد؛ آزمون آنها را دوباره اجرا کنيد.")
                   .arg(fileNumbersText(repaired)),
               Buttons::Ok, Icon::Notice, DefaultButton::First);
}

void TfrmMain::showReadOnlyOpen()
{
    // No answer could be stored: Test stays off, and the report gives the reason in the words of every refused write.
    m_ui->N2->setEnabled(false);
    guarded([] { Data->Database.backend().requireWritable(); });
    QStringList waiting;
    if (!Data->repairAwaiting().isEmpty())
        waiting.append(QStringLiteral("ثبت نام اين شماره پرونده ها نيمه تمام مانده بود: %1. جدول سوالات آنها وقتي "
                                      "ساخته مي شود که برنامه بتواند در فايل اطلاعات بنويسد.")
                           .arg(fileNumbersText(Data->repairAwaiting())));
    if (Data->upgradeAwaiting())
        waiting.append(QStringLiteral("فايل اطلاعات با نسخه قبلي برنامه ساخته شده است و وقتي به روز مي شود که "
                                      "برنامه بتواند در آن بنويسد."));
    if (!waiting.isEmpty())
        SysMessage(repairCaption(), waiting.join(QLatin1Char(' ')), Buttons::Ok, Icon::Notice, DefaultButton::First);
}

void TfrmMain::showDatabaseInUse()
{
    // A workstation on the clinic's shared server says so in its title, so nobody takes it for this computer's
    // own file; on the file the title stays as it is.
    const QString separator = QStringLiteral(" - ");
    const QString title = windowTitle().section(separator, 0, 0);
    if (Data && Data->Database.isConnected() && Data->Database.backend().engine() == DbBackend::Engine::PostgreSql)
        setWindowTitle(title + separator + QStringLiteral("سرور ") + leftToRight(Data->Database.backend().location()));
    else
        setWindowTitle(title);
}

bool TfrmMain::FormCloseQuery()
{
    return SysMessage(QStringLiteral("خروج از برنامه"), QStringLiteral("از برنامه خارج شويم؟"), Buttons::YesNo,
                      Icon::Question, DefaultButton::Second) == Answer::First;
}

namespace {

// At the program's end there is no window left to report an error in: the file keeps its side log, and with it
// every answer, and the next start finishes the work.
void makeDatabaseWhole()
{
    if (!Data)
        return;
    try {
        Data->Database.checkpoint();
    } catch (const DataError& error) {
        qWarning("%s", qUtf8Printable(error.message()));
    }
}

} // namespace

void TfrmMain::sessionEnding()
{
    makeDatabaseWhole();
    m_asksBeforeClosing = false;
}

void TfrmMain::endWithoutQuestion()
{
    sessionEnding();
    QCoreApplication::exit(0);
}

void TfrmMain::N2Click()
{
    if (!frmNewTest)
        return;
    // 175 marks the test window idle, so its showing resets it without asking whether to stop a test.
    frmNewTest->setOuterHeight(175);
    frmNewTest->exec();
}

void TfrmMain::N3Click()
{
    if (!frmResult)
        return;
    frmResult->exec();
    // The next review starts with no participant shown and no report to print, and the scores are not kept
    // open behind a closed window.
    frmResult->clearParticipant();
    Data->qTest1.close();
    Data->qTest2.close();
}

void TfrmMain::N5Click()
{
    close();
}

void TfrmMain::N7Click()
{
    if (frmAbout)
        frmAbout->exec();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    m_placement.place(this, event);
    guarded([this] { FormShow(); });
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!m_asksBeforeClosing) {
        event->accept();
        return;
    }
    bool leave = false;
    guarded([&] { leave = FormCloseQuery(); });
    event->setAccepted(leave);
}
