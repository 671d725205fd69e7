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

void prepareApplication()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    installQtPersianTranslation();
    QApplication::setFont(designFont(QStringLiteral("Tahoma"), 12));
    // Buttons with pictures keep picture and caption together in every window.
    QApplication::setStyle(new PictureButtonStyle);
}

int runProgram()
{
    // Caught before anything is shown, so that a logout during the connect step also ends the program in order.
    EndRequests endRequests;
    // Every window exists before the main window is shown, and lives until the program ends.
    const ApplicationWindows windows;
    QObject::connect(&endRequests, &EndRequests::endRequested, frmMain, [] { frmMain->endWithoutQuestion(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, frmMain, [] { frmMain->sessionEnding(); });
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
