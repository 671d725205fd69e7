#include "app/MenuStyle.h"

#include "dialogs/MnemonicText.h"
#include "dialogs/PictureButtonStyle.h"

#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {

constexpr int GutterWidth = MenuStyle::IconSize + 10;
constexpr int TextGap = 8;
constexpr int EndMargin = 12;
constexpr int ItemHeight = MenuStyle::IconSize + 6;
constexpr int SeparatorHeight = 7;
constexpr int ShortcutGap = 24;

const QColor MenuBackground(0xfb, 0xfb, 0xf8);
const QColor GutterLight(0xf2, 0xf4, 0xee);
const QColor GutterDark(0xdc, 0xe3, 0xd6);
const QColor HighlightFill(0xd6, 0xe8, 0xfa);
const QColor HighlightFrame(0x7e, 0xb0, 0xe6);

bool isMenu(const QWidget* widget)
{
    return qobject_cast<const QMenu*>(widget) != nullptr;
}

// A menu item's text: the caption, then a tab and the shortcut's name when the item has one.
struct ItemText
{
    QString caption;
    QString shortcut;
};

ItemText splitItemText(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return {text, QString()};
    return {text.left(tab), text.mid(tab + 1)};
}

} // namespace

// The menu bar's own captions are drawn by the base style, which keeps them joined (see PictureButtonStyle).
MenuStyle::MenuStyle(QStyle* base)
    : QProxyStyle(base ? base : new PictureButtonStyle(QStyleFactory::create(QStringLiteral("Fusion"))))
{
}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (isMenu(widget)) {
        switch (metric) {
        case PM_SmallIconSize:
            return IconSize;
        case PM_MenuPanelWidth:
            return 1;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
            return 2;
        default:
            break;
        }
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item || !isMenu(widget))
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return {size.width(), SeparatorHeight};

    // The caption is measured as it is drawn, with its blanks: they are part of it and widen the menu.
    const auto [caption, shortcut] = splitItemText(item->text);
    const QFontMetrics metrics(item->font);
    int width = GutterWidth + TextGap + metrics.horizontalAdvance(stripMnemonic(caption)) + EndMargin;
    if (!shortcut.isEmpty())
        width += ShortcutGap + metrics.horizontalAdvance(shortcut);
    return {width, qMax(ItemHeight, metrics.height() + 8)};
}

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    if (element == PE_PanelMenu && isMenu(widget)) {
        painter->fillRect(option->rect, MenuBackground);
        QRect gutter = option->rect.adjusted(1, 1, -1, -1);
        gutter.setWidth(GutterWidth);
        gutter = visualRect(option->direction, option->rect, gutter);
        QLinearGradient shade(gutter.topLeft(), gutter.topRight());
        shade.setColorAt(0, option->direction == Qt::RightToLeft ? GutterDark : GutterLight);
        shade.setColorAt(1, option->direction == Qt::RightToLeft ? GutterLight : GutterDark);
        painter->fillRect(gutter, shade);
        painter->setPen(QColor(0x9a, 0xa3, 0xab));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    if (element == PE_FrameMenu && isMenu(widget))
        return; // the panel draws its own frame
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item || !isMenu(widget)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }

    const Qt::LayoutDirection direction = item->direction;
    const QRect rect = item->rect;
    painter->save();

    QRect gutter(rect.left(), rect.top(), GutterWidth, rect.height());
    gutter = visualRect(direction, rect, gutter);
    QRect textArea = rect.adjusted(GutterWidth + TextGap, 0, -EndMargin, 0);
    textArea = visualRect(direction, rect, textArea);

    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = rect.center().y();
        painter->setPen(QColor(0xc5, 0xcb, 0xd0));
        painter->drawLine(textArea.left(), y, textArea.right(), y);
        painter->setPen(Qt::white);
        painter->drawLine(textArea.left(), y + 1, textArea.right(), y + 1);
        painter->restore();
        return;
    }

    const bool enabled = item->state & State_Enabled;
    const bool selected = (item->state & State_Selected) && enabled;
    if (selected) {
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(HighlightFrame);
        painter->setBrush(HighlightFill);
        painter->drawRoundedRect(QRectF(rect).adjusted(1.5, 0.5, -1.5, -0.5), 3, 3);
        painter->setRenderHint(QPainter::Antialiasing, false);
    }

    if (!item->icon.isNull()) {
        const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
        const QPixmap pixmap =
            item->icon.pixmap(QSize(IconSize, IconSize), painter->device()->devicePixelRatioF(), mode);
        QRect target(QPoint(), QSize(IconSize, IconSize));
        target.moveCenter(gutter.center());
        painter->drawPixmap(target, pixmap);
    }

    const auto [caption, shortcut] = splitItemText(item->text);
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    flags |= styleHint(SH_UnderlineShortcut, item, widget) ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    const QColor textColor =
        enabled ? item->palette.color(QPalette::Text) : item->palette.color(QPalette::Disabled, QPalette::Text);
    painter->setFont(item->font);
    painter->setPen(textColor);
    painter->setLayoutDirection(direction);
    drawMnemonicText(painter, textArea, flags | int(QStyle::visualAlignment(direction, Qt::AlignLeft)), caption);
    if (!shortcut.isEmpty()) {
        // Key names read left to right even in a right-to-left menu ("Ctrl+1", "Esc").
        painter->setLayoutDirection(Qt::LeftToRight);
        painter->drawText(textArea, flags | int(QStyle::visualAlignment(direction, Qt::AlignRight)), shortcut);
    }
    painter->restore();
}
