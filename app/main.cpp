#include "app/MainForm.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravlen"));
    QApplication::setApplicationVersion(QStringLiteral("1.11.2.19"));
    prepareApplication();

    // Every window exists before the main window is shown, and lives until the program ends.
    const ApplicationWindows windows;
    reportFirstPaintWhenAsked(frmMain);
    frmMain->show();
    return app.exec();
}
