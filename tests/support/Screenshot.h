#pragma once

#include <QImage>
#include <QString>

class QWidget;

// Writes what a widget shows to <RAVLEN_SCREENSHOT_DIR or ./screenshots>/<name>.png so a person can look at it
// (<name>-pg.png in a run on the server).
// Returns the path written, or an empty string when the image could not be saved.
QString saveScreenshot(QWidget* widget, const QString& name);
QString saveScreenshot(const QImage& image, const QString& name);
