#pragma once

#include <QFont>
#include <QString>

// The windows were laid out for Windows fonts (Tahoma, Calibri and the report's fonts), which Linux lacks.
// Every window, control and the report asks here for its font, so one place decides how the layouts'
// font names and pixel sizes are drawn on this system.

// Registers the embedded Persian font with the application. Safe to call more than once; returns false
// when the font could not be loaded (the application then draws with Qt's default font).
bool registerApplicationFonts();

// The family the embedded font registered as ("Vazirmatn", or the fallback the build chose).
QString applicationFontFamily();

// The font to draw a design font with: `designName` is the family a layout names ("Tahoma", "Calibri", ...),
// `pixelSize` its character height in pixels. Unknown names map like Tahoma.
QFont designFont(const QString& designName, int pixelSize, bool bold = false, bool italic = false);

// Installs Qt's own Persian translation so the standard dialogs speak Persian. Returns false when the
// translation file is missing.
bool installQtPersianTranslation();
