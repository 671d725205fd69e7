#include "app/Startup.h"

#include "app/AboutForm.h"
#include "app/EndRequests.h"
#include "app/MainForm.h"
#include "data/DataModule.h"
#include "dialogs/AppFonts.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/PictureButtonStyle.h"
#include "results/ResultForm.h"
#include "results/SearchForm.h"
#include "testing/NewTestForm.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>

void prepareApplication()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    installQtPersianTranslation();
    QApplication::setFont(designFont(QStringLiteral("Tahoma"), 12));
    // Buttons with pictures keep picture and caption together in every window.
    QApplication::setStyle(new PictureButtonStyle);
}

namespace {

class FirstPaintReport : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        watched->removeEventFilter(this);
        // Queued, so it runs after this paint has been drawn, when the loop would next take a click.
        QTimer::singleShot(0, this, [] {
            const int rows = Data && Data->tbProfiles.isActive() ? Data->tbProfiles.recordCount() : -1;
            std::printf("painted: %d rows\n", rows);
            std::fflush(stdout);
            // exit, not quit: quitting closes the windows, and closing the main window asks before leaving.
            QCoreApplication::exit(0);
        });
        return false;
    }
};

} // namespace

void reportFirstPaintWhenAsked(QWidget* mainWindow)
{
    if (qEnvironmentVariableIsEmpty("RAVLEN_REPORT_FIRST_PAINT"))
        return;
    mainWindow->installEventFilter(new FirstPaintReport(mainWindow));
}

int runProgram()
{
    // Caught before anything is shown, so that a logout during the connect step also ends the program in order.
    EndRequests endRequests;
    // Every window exists before the main window is shown, and lives until the program ends.
    const ApplicationWindows windows;
    QObject::connect(&endRequests, &EndRequests::endRequested, frmMain, [] { frmMain->endWithoutQuestion(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, frmMain, [] { frmMain->sessionEnding(); });
    reportFirstPaintWhenAsked(frmMain);
    frmMain->show();
    // A request met in a message of the first showing already ended that message's loop. Either way the data
    // module goes with the windows, and its connection makes the file whole as it closes.
    return endRequests.requested() ? 0 : QApplication::exec();
}

ApplicationWindows::ApplicationWindows()
{
    // None of them touches the database while being created: the main window connects when it is shown.
    main = std::make_unique<TfrmMain>();
    frmMain = main.get();
    message = std::make_unique<TfrmMessage>();
    frmMessage = message.get();
    newTest = std::make_unique<TfrmNewTest>();
    frmNewTest = newTest.get();
    data = std::make_unique<TData>();
    Data = data.get();
    // The main window's first showing connects to Ravlen.mdb in the working directory and opens tbProfiles.
    main->setConnectStep([] { return Data->ConnectToWorkingDirectoryDatabase(); });
    result = std::make_unique<TfrmResult>();
    frmResult = result.get();
    search = std::make_unique<TfrmSearch>();
    frmSearch = search.get();
    about = std::make_unique<TfrmAbout>();
    frmAbout = about.get();
}

ApplicationWindows::~ApplicationWindows()
{
    about.reset();
    search.reset();
    result.reset();
    Data = nullptr;
    data.reset();
    newTest.reset();
    message.reset();
    main.reset();
}
