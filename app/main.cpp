#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "dialogs/AppFonts.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/PictureButtonStyle.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravlen"));
    QApplication::setApplicationVersion(QStringLiteral("1.11.2.19"));
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    installQtPersianTranslation();
    QApplication::setFont(designFont(QStringLiteral("Tahoma"), 12));
    // Buttons with pictures keep picture and caption together in every window.
    QApplication::setStyle(new PictureButtonStyle);

    // One instance of every window and of the data module, created hidden in this order. None of them
    // touches the database while being created; the main window connects when it is first shown.
    const auto mainWindow = std::make_unique<TfrmMain>();
    frmMain = mainWindow.get();
    const auto messageDialog = std::make_unique<TfrmMessage>();
    frmMessage = messageDialog.get();
    // 3. frmNewTest, the test window: created here.
    // 4. Data, the data module: created here; its connect step is handed to frmMain->setConnectStep().
    // 5. frmResult, the results window: created here.
    // 6. frmSearch, the search window: created here.
    const auto aboutBox = std::make_unique<TfrmAbout>();
    frmAbout = aboutBox.get();

    frmMain->show();
    return app.exec();
}
