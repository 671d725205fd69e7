#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>

class QTableView;
class QWidget;

// Questions a screenshot test asks of a grabbed picture: where the ink of a kind lies, how much of it there is,
// what colour a picture is drawn in.

using PixelTest = std::function<bool(const QColor&)>;

// Pixels darker than `grey` (0-255 grey level): text and lines on a light background.
PixelTest darkerThan(int grey);

// Pixels within `tolerance` (per channel) of `colour`.
PixelTest closeTo(const QColor& colour, int tolerance = 40);

// The smallest rectangle holding every pixel that passes `isInk`; null when there is none.
QRect inkBounds(const QImage& image, const PixelTest& isInk);

int countPixels(const QImage& image, const PixelTest& isInk);

// The colour family of the strongly coloured pixels of a picture, from their mean hue: "red", "amber",
// "green", "blue", or "none" when fewer than `minimum` pixels are strongly coloured.
QString colourFamily(const QImage& image, int minimum = 100);

// The part of `picture`, grabbed from `window`, that its descendant `widget` covers.
QImage partOf(const QImage& picture, const QWidget* window, const QWidget* widget);

// Whether `text` is drawn whole in the box `box` of a picture grabbed from `window`: dark ink inside its frame about
// as wide as the text. Empty when it is, otherwise what is wrong.
QString boxTextFault(const QImage& picture, const QWidget* window, const QWidget* box, const QString& text);

// The strip of a picture grabbed from `window` that row `row` of `grid` covers, across the grid's visible width.
QImage gridRowPart(const QImage& picture, const QWidget* window, const QTableView* grid, int row);
