#include "dialogs/AppFonts.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QString& registeredFamily()
{
    static QString family;
    return family;
}

// Vazirmatn draws a little larger than Tahoma at the same pixel height; these factors keep the line
// heights so labels laid out for Tahoma are not clipped.
double sizeFactorFor(const QString& designName)
{
    if (designName.compare(QLatin1String("Calibri"), Qt::CaseInsensitive) == 0)
        return 0.95;
    return 0.92;
}

} // namespace

bool registerApplicationFonts()
{
    if (!registeredFamily().isEmpty())
        return true;
    const int regular = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Regular.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Bold.ttf"));
    if (regular < 0)
        return false;
    const QStringList families = QFontDatabase::applicationFontFamilies(regular);
    registeredFamily() = families.isEmpty() ? QStringLiteral(RAVLEN_FONT_FAMILY) : families.first();
    return true;
}

QString applicationFontFamily()
{
    registerApplicationFonts();
    return registeredFamily().isEmpty() ? QStringLiteral(RAVLEN_FONT_FAMILY) : registeredFamily();
}

QFont designFont(const QString& designName, int pixelSize, bool bold, bool italic)
{
    QFont font(applicationFontFamily());
    font.setPixelSize(qMax(1, qRound(pixelSize * sizeFactorFor(designName))));
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

bool installQtPersianTranslation()
{
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* candidate = new QTranslator(QCoreApplication::instance());
    if (!candidate->load(QStringLiteral("qtbase_fa"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete candidate;
        return false;
    }
    QCoreApplication::installTranslator(candidate);
    translator = candidate;
    return true;
}
