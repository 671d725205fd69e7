#include "tests/support/Screenshot.h"

#include "tests/support/TempRavlenDb.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

static QString screenshotDir()
{
    QString dir = qEnvironmentVariable("RAVLEN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        dir = QDir::current().filePath(QStringLiteral("screenshots"));
    QDir().mkpath(dir);
    return dir;
}

QString saveScreenshot(const QImage& image, const QString& name)
{
    // A suite runs once on files and once on the server, possibly at the same time: each run keeps its own pictures.
    const QString suffix = TempRavlenDb::onServer() ? QStringLiteral("-pg.png") : QStringLiteral(".png");
    const QString path = QDir(screenshotDir()).filePath(name + suffix);
    return image.save(path) ? path : QString();
}

QString saveScreenshot(QWidget* widget, const QString& name)
{
    return saveScreenshot(widget->grab().toImage(), name);
}
