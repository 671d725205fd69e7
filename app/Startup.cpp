#include "app/Startup.h"

#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "dialogs/AppFonts.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/PictureButtonStyle.h"

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
    // 3. frmNewTest, the test window.
    // 4. Data, the data module; its connect step goes to frmMain->setConnectStep().
    // 5. frmResult, the results window.
    // 6. frmSearch, the search window.
    about = std::make_unique<TfrmAbout>();
    frmAbout = about.get();
}

ApplicationWindows::~ApplicationWindows()
{
    about.reset();
    message.reset();
    main.reset();
}
