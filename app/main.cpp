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
    return runProgram();
}
