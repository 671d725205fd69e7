#pragma once

#include <QProxyStyle>

// Draws the main window's menus itself: a 24 x 24 picture in a shaded column at the start of each item
// (the right side, in the right-to-left menus), a rounded highlight, the caption with its blanks as given
// and the shortcut at the far end.
class MenuStyle : public QProxyStyle
{
    Q_OBJECT

public:
    static constexpr int IconSize = 24;

    explicit MenuStyle(QStyle* base = nullptr);

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};
