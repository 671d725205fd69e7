#include "app/EffectLabel.h"

#include <QPainter>
#include <QStyle>

EffectLabel::EffectLabel(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void EffectLabel::setTextEffect(TextEffect effect)
{
    m_effect = effect;
    update();
}

void EffectLabel::paintEvent(QPaintEvent* event)
{
    if (m_effect == Plain || text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int flags = int(QStyle::visualAlignment(layoutDirection(), alignment()));
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    // As with QLabel, "&" marks an access key only for a label with a buddy; otherwise it is an ordinary
    // character.
    if (buddy())
        flags |= Qt::TextShowMnemonic;

    const QColor light(255, 255, 255, 230);
    const QColor dark(0, 0, 0, 110);
    if (m_effect == Raised) {
        painter.setPen(light);
        painter.drawText(area.translated(-1, -1), flags, text());
        painter.setPen(dark);
        painter.drawText(area.translated(1, 1), flags, text());
    } else {
        painter.setPen(light);
        painter.drawText(area.translated(1, 1), flags, text());
    }
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(area, flags, text());
}
