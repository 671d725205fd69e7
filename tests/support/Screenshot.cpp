#include "tests/support/Screenshot.h"

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
    const QString path = QDir(screenshotDir()).filePath(name + QStringLiteral(".png"));
    return image.save(path) ? path : QString();
}

QString saveScreenshot(QWidget* widget, const QString& name)
{
    return saveScreenshot(widget->grab().toImage(), name);
}
