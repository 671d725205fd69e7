#include "tests/support/EmbeddedFont.h"

#include "dialogs/AppFonts.h"

#include <QApplication>
#include <QFont>

bool useEmbeddedFont(int pixelSize)
{
    if (!registerApplicationFonts())
        return false;
    QFont font(applicationFontFamily());
    font.setPixelSize(pixelSize);
    QApplication::setFont(font);
    return true;
}
