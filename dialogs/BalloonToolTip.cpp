#include "dialogs/BalloonToolTip.h"

#include "dialogs/AppFonts.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolTip>

namespace {

constexpr int Padding = 6;
constexpr int TailHeight = 10;
constexpr int TailWidth = 14;
constexpr int TailInset = 16; // from the balloon's right edge to the pointer
constexpr int CursorGap = 18; // below the mouse's hot spot, clear of the arrow
constexpr int TextFlags = Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextWordWrap;

class ToolTipFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->toolTip().isEmpty())
            return false; // Qt passes the request on to the parent
        const auto* help = static_cast<QHelpEvent*>(event);
        BalloonToolTip::instance()->showText(help->globalPos(), widget->toolTip(), widget);
        return true;
    }
};

} // namespace

void installBalloonToolTips()
{
    static ToolTipFilter* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new ToolTipFilter(qApp);
    qApp->installEventFilter(filter);
    // Views that show their items' tips themselves still use Qt's tooltip: give it the balloon's font.
    QToolTip::setFont(designFont(QStringLiteral("Tahoma"), 11));
}

BalloonToolTip* BalloonToolTip::instance()
{
    static QPointer<BalloonToolTip> balloon;
    if (!balloon)
        balloon = new BalloonToolTip;
    return balloon;
}

BalloonToolTip::BalloonToolTip() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("balloonToolTip"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(designFont(QStringLiteral("Tahoma"), 11));
    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(10000);
    connect(&m_hideTimer, &QTimer::timeout, this, &BalloonToolTip::hideText);
    // Any click, key, wheel or leaving the owner ends the tip, as with Qt's own tooltips.
    qApp->installEventFilter(this);
}

QRect BalloonToolTip::textRect() const
{
    return QRect(QPoint(Padding, TailHeight + Padding), m_textSize);
}

void BalloonToolTip::showText(const QPoint& globalPos, const QString& text, QWidget* owner)
{
    if (text.isEmpty()) {
        hideText();
        return;
    }
    m_text = text;
    m_owner = owner;
    setLayoutDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);

    const QFontMetrics metrics(font());
    const QRect bounds = metrics.boundingRect(QRect(0, 0, WrapWidth, 100000), TextFlags, text);
    m_textSize = QSize(qMin(WrapWidth, bounds.width() + 1), bounds.height());
    const QSize size(m_textSize.width() + 2 * Padding, m_textSize.height() + 2 * Padding + TailHeight);
    resize(size);

    // The pointer sits near the balloon's right edge, under the mouse; near the screen's left edge the
    // balloon is pushed right to stay visible.
    QPoint topLeft(globalPos.x() - (size.width() - TailInset), globalPos.y() + CursorGap - TailHeight);
    if (const QScreen* screen = QGuiApplication::screenAt(globalPos)) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() - size.width())));
        topLeft.setY(qMin(topLeft.y(), qMax(area.top(), area.bottom() - size.height())));
    }
    move(topLeft);
    show();
    raise();
    update();
    m_hideTimer.start();
}

void BalloonToolTip::hideText()
{
    m_hideTimer.stop();
    m_owner = nullptr;
    hide();
}

void BalloonToolTip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF body = QRectF(rect()).adjusted(0.5, TailHeight + 0.5, -0.5, -0.5);
    const qreal tailRight = width() - TailInset + TailWidth / 2.0;
    QPainterPath balloon;
    balloon.addRoundedRect(body, 6, 6);
    QPainterPath tail;
    tail.moveTo(tailRight - TailWidth, body.top() + 1);
    tail.lineTo(width() - TailInset, 0.5);
    tail.lineTo(tailRight, body.top() + 1);
    tail.closeSubpath();
    balloon = balloon.united(tail);

    painter.setPen(QPen(palette().color(QPalette::Shadow), 1));
    painter.setBrush(palette().color(QPalette::ToolTipBase));
    painter.drawPath(balloon);

    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(textRect(), TextFlags, m_text);
}

bool BalloonToolTip::eventFilter(QObject* watched, QEvent* event)
{
    if (!isVisible())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        hideText();
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        if (watched == m_owner)
            hideText();
        break;
    default:
        break;
    }
    return false;
}
