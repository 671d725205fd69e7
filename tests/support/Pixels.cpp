#include "tests/support/Pixels.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QWidget>
#include <QtMath>

#include <cmath>
#include <cstdlib>

PixelTest darkerThan(int grey)
{
    return [grey](const QColor& c) { return qGray(c.rgb()) < grey; };
}

PixelTest closeTo(const QColor& colour, int tolerance)
{
    return [colour, tolerance](const QColor& c) {
        return std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
               std::abs(c.blue() - colour.blue()) <= tolerance;
    };
}

QRect inkBounds(const QImage& image, const PixelTest& isInk)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isInk(image.pixelColor(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int countPixels(const QImage& image, const PixelTest& isInk)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += isInk(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

QString colourFamily(const QImage& image, int minimum)
{
    int count = 0;
    double x = 0, y = 0; // hues averaged as angles, so red on both sides of 0 stays red
    for (int row = 0; row < image.height(); ++row)
        for (int col = 0; col < image.width(); ++col) {
            const QColor c = image.pixelColor(col, row);
            if (c.hsvSaturation() < 120 || c.value() < 80)
                continue;
            ++count;
            x += std::cos(qDegreesToRadians(double(c.hsvHue())));
            y += std::sin(qDegreesToRadians(double(c.hsvHue())));
        }
    if (count < minimum)
        return QStringLiteral("none");
    double hue = qRadiansToDegrees(std::atan2(y, x));
    if (hue < 0)
        hue += 360;
    if (hue < 20 || hue >= 330)
        return QStringLiteral("red");
    if (hue < 65)
        return QStringLiteral("amber");
    if (hue < 170)
        return QStringLiteral("green");
    return QStringLiteral("blue");
}

QImage partOf(const QImage& picture, const QWidget* window, const QWidget* widget)
{
    return picture.copy(QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()));
}

QString boxTextFault(const QImage& picture, const QWidget* window, const QWidget* box, const QString& text)
{
    // Inside the frame (the frame's own lines are no text), and beside a list's arrow.
    QRect field = box->rect();
    if (const auto* list = qobject_cast<const QComboBox*>(box)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        field = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
    }
    const QImage inside = partOf(picture, window, box).copy(field.adjusted(3, 3, -3, -3));
    const QRect ink = inkBounds(inside, darkerThan(100));
    const int textWidth = QFontMetrics(box->font()).horizontalAdvance(text);
    if (ink.width() < textWidth * 8 / 10 || ink.width() > textWidth + 24)
        return QStringLiteral("%1: ink %2 px wide for \"%3\" of %4 px")
            .arg(box->objectName())
            .arg(ink.width())
            .arg(text)
            .arg(textWidth);
    return QString();
}

QImage gridRowPart(const QImage& picture, const QWidget* window, const QTableView* grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    const QWidget* viewport = grid->viewport();
    return picture.copy(QRect(viewport->mapTo(window, QPoint(0, cell.top())), QSize(viewport->width(), cell.height())));
}
