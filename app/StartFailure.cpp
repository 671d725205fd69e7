#include "app/StartFailure.h"

#include "data/DataError.h"
#include "dialogs/ErrorReport.h"

#include <QDir>

std::optional<StartFailure> StartFailure::fromArguments(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--start-failed"));
    if (at < 0)
        return std::nullopt;
    const QStringList rest = arguments.mid(at + 1);
    StartFailure failure;
    failure.step = rest.value(0) == QLatin1String("database") ? Step::Database : Step::Folder;
    failure.folder = rest.value(1);
    failure.detail = rest.mid(2).join(QLatin1Char('\n')).trimmed();
    return failure;
}

QString StartFailure::text() const
{
    const QString folderName = leftToRight(QDir::toNativeSeparators(folder));
    // The folder comes last, on its own left to right.
    const QString sentence =
        step == Step::Folder
            ? QStringLiteral("برنامه اجرا نشد، چون پوشه اطلاعات آن ساخته نشد. اجازه ساختن اين پوشه را به اين کاربر "
                             "بدهيد، يا پوشه ديگري را با متغير RAVLEN_HOME براي برنامه تعيين کنيد. پوشه اطلاعات: %1")
                  .arg(folderName)
            : QStringLiteral("برنامه اجرا نشد، چون فايل اطلاعات Ravlen.mdb در پوشه اطلاعات ساخته نشد. اجازه نوشتن "
                             "در اين پوشه را به اين کاربر بدهيد و جاي خالي ديسک آن را بررسي کنيد. پوشه اطلاعات: %1")
                  .arg(folderName);
    return detail.isEmpty() ? sentence : sentence + QLatin1Char('\n') + detail;
}

int showStartFailure(const StartFailure& failure)
{
    reportError(failure.text());
    return 1;
}
