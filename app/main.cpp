#include "app/MainForm.h"
#include "app/StartFailure.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravlen"));
    QApplication::setApplicationVersion(QStringLiteral("1.11.2.19"));
    prepareApplication();
    if (const std::optional<StartFailure> failure = StartFailure::fromArguments(QApplication::arguments()))
        return showStartFailure(*failure);

    // Every window exists before the main window is shown, and lives until the program ends.
    const ApplicationWindows windows;
    frmMain->show();
    return app.exec();
}
