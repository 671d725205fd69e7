#include "dialogs/MnemonicText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

QString stripMnemonic(const QString& text, int* accessIndex)
{
    QString plain;
    plain.reserve(text.size());
    int access = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text[i] != QLatin1Char('&') && access < 0)
                access = int(plain.size());
        }
        plain += text[i];
    }
    if (accessIndex)
        *accessIndex = access;
    return plain;
}

// The horizontal extent of one character of `plain` as drawn starting at x = 0 in the painter's direction.
static QPair<qreal, qreal> characterExtent(const QString& plain, int index, const QFont& font,
                                           Qt::LayoutDirection direction)
{
    QTextLayout layout(plain, font);
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setTextDirection(direction);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    const qreal natural = line.naturalTextWidth();
    // Shape the line at its own width so positions start at the text's first drawn pixel.
    layout.beginLayout();
    line = layout.createLine();
    line.setLineWidth(natural);
    layout.endLayout();
    const qreal a = line.cursorToX(index);
    const qreal b = line.cursorToX(index + 1);
    return {qMin(a, b), qMax(a, b)};
}

void drawMnemonicText(QPainter* painter, const QRect& rect, int flags, const QString& text)
{
    const bool underline = flags & Qt::TextShowMnemonic;
    flags &= ~(Qt::TextShowMnemonic | Qt::TextHideMnemonic);
    int access = -1;
    const QString plain = stripMnemonic(text, &access);
    QRect drawn;
    painter->drawText(rect, flags, plain, &drawn);
    if (!underline || access < 0)
        return;

    const QFontMetrics metrics(painter->font());
    const auto [from, to] = characterExtent(plain, access, painter->font(), painter->layoutDirection());
    const int y = drawn.top() + metrics.ascent() + qMax(1, metrics.underlinePos());
    QPen pen = painter->pen();
    pen.setWidth(qMax(1, metrics.lineWidth()));
    painter->save();
    painter->setPen(pen);
    painter->drawLine(QPointF(drawn.left() + from, y), QPointF(drawn.left() + to - 1, y));
    painter->restore();
}
