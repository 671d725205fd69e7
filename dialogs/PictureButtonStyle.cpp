#include "dialogs/PictureButtonStyle.h"

#include "dialogs/MnemonicText.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionButton>

namespace {
constexpr int IconSpacing = 4;
}

PictureButtonStyle::PictureButtonStyle(QStyle* base)
    : QProxyStyle(base ? base : QStyleFactory::create(QApplication::style()->name()))
{
}

PictureButtonStyle* PictureButtonStyle::shared()
{
    static QPointer<PictureButtonStyle> style;
    if (!style) {
        style = new PictureButtonStyle;
        style->setParent(qApp);
    }
    return style;
}

void PictureButtonStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_PushButtonLabel || !button || button->icon.isNull() || button->text.isEmpty()) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }

    const bool enabled = button->state & State_Enabled;
    const QRect area = button->rect;
    const QSize iconSize = button->iconSize;
    int flags = Qt::AlignCenter | Qt::TextSingleLine;
    flags |= styleHint(SH_UnderlineShortcut, button, widget) ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    const int textWidth = button->fontMetrics.boundingRect(area, flags, button->text).width();
    const int total = iconSize.width() + IconSpacing + textWidth;
    const int left = area.x() + qMax(0, (area.width() - total) / 2);
    const int iconTop = area.y() + (area.height() - iconSize.height()) / 2;

    QRect iconRect(QPoint(left, iconTop), iconSize);
    QRect textRect(left + iconSize.width() + IconSpacing, area.y(), textWidth, area.height());
    if (button->direction == Qt::RightToLeft) {
        iconRect.moveLeft(left + textWidth + IconSpacing);
        textRect.moveLeft(left);
    }
    if (button->state & (State_On | State_Sunken)) {
        const QPoint shift(pixelMetric(PM_ButtonShiftHorizontal, option, widget),
                           pixelMetric(PM_ButtonShiftVertical, option, widget));
        iconRect.translate(shift);
        textRect.translate(shift);
    }

    const QPixmap pixmap = button->icon.pixmap(iconSize, painter->device()->devicePixelRatioF(),
                                               enabled ? QIcon::Normal : QIcon::Disabled);
    painter->drawPixmap(iconRect, pixmap);
    proxy()->drawItemText(painter, textRect.adjusted(-1, 0, 1, 0), flags, button->palette, enabled, button->text,
                          QPalette::ButtonText);
}

void PictureButtonStyle::drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                                      bool enabled, const QString& text, QPalette::ColorRole textRole) const
{
    // Only a caption with an access key marks its letter with "&"; every other text (a message naming the folder
    // "R&D") shows each of its characters.
    const bool accessKeyText = flags & (Qt::TextShowMnemonic | Qt::TextHideMnemonic);
    if (!accessKeyText || !text.contains(QLatin1Char('&'))) {
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
        return;
    }
    painter->save();
    if (textRole != QPalette::NoRole)
        painter->setPen(QPen(palette.brush(textRole), painter->pen().widthF()));
    drawMnemonicText(painter, rect, flags, text);
    painter->restore();
}
