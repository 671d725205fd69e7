#include "app/Startup.h"

#include "app/AboutForm.h"
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
