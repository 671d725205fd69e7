#include "controls/YearEdit.h"

#include "controls/ShDateTypes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

// ---- TYearUpDown ------------------------------------------------------------------------------------------------

TYearUpDown::TYearUpDown(QWidget* parent) : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    setObjectName(QStringLiteral("YearSpinner"));
    // A press on the spinner must not move the focus away from the editor it serves (which would close it):
    // the spinner passes a click focus on to its editor.
    setFocusPolicy(Qt::ClickFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
    }
    m_up->setObjectName(QStringLiteral("YearUp"));
    m_down->setObjectName(QStringLiteral("YearDown"));
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TYearUpDown::SetAssociate(TYearEdit* edit)
{
    m_edit = edit;
    setFocusProxy(edit);
}

void TYearUpDown::SetRange(int min, int max)
{
    m_min = min;
    m_max = max < min ? min : max;
    SetPosition(m_position);
}

void TYearUpDown::SetPosition(int value)
{
    m_typed.clear();
    m_position = qBound(m_min, value, m_max);
    showPosition();
}

void TYearUpDown::Step(int delta)
{
    EndTyping();
    SetPosition(m_position + delta);
}

void TYearUpDown::TypeDigit(int digit)
{
    // The range is checked once the year is complete: "1" on the way to "1405" lies below every range.
    if (m_typed.size() >= 4)
        m_typed.clear();
    m_typed += QChar(u'0' + digit);
    if (m_edit)
        m_edit->setText(m_typed);
}

void TYearUpDown::EndTyping()
{
    if (!m_typed.isEmpty())
        SetPosition(m_typed.toInt());
}

void TYearUpDown::DiscardTyping()
{
    m_typed.clear();
}

void TYearUpDown::showPosition()
{
    if (m_edit)
        m_edit->setText(QString::number(m_position));
}

// ---- TYearEdit --------------------------------------------------------------------------------------------------

TYearEdit::TYearEdit(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("YearEdit"));
    setFrame(false);
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setTextMargins(0, 0, 0, 0);
    // Clicks reach it, Tab does not.
    setFocusPolicy(Qt::ClickFocus);
    hide();
}

TYearEdit::~TYearEdit()
{
    if (m_filtering)
        qApp->removeEventFilter(this);
}

void TYearEdit::StartEdit()
{
    m_closing = false;
    show();
    if (m_upDown)
        m_upDown->show();
    raise();
    if (m_upDown)
        m_upDown->raise();
    setFocus(Qt::MouseFocusReason);
    if (!m_filtering) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
}

void TYearEdit::CloseEdit(bool accept)
{
    // isHidden, not isVisible: when the calendar itself is hidden mid-edit, the edit must still close once.
    if (m_closing || isHidden())
        return;
    m_closing = true;
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    if (m_upDown) {
        if (accept)
            m_upDown->EndTyping();
        else
            m_upDown->DiscardTyping();
    }
    if (m_done)
        m_done(accept);
    if (m_upDown)
        m_upDown->hide();
    hide();
    m_closing = false;
}

void TYearEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CloseEdit(true);
        return;
    case Qt::Key_Escape:
        CloseEdit(false);
        return;
    case Qt::Key_Up:
        if (m_upDown)
            m_upDown->Step(1);
        return;
    case Qt::Key_Down:
        if (m_upDown)
            m_upDown->Step(-1);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void TYearEdit::TypeDigits(const QString& text)
{
    if (!m_upDown)
        return;
    for (const QChar c : text) {
        if (const int digit = typedDigitValue(c); digit >= 0)
            m_upDown->TypeDigit(digit);
    }
}

void TYearEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    CloseEdit(true);
}

void TYearEdit::wheelEvent(QWheelEvent* event)
{
    if (m_upDown && event->angleDelta().y() != 0)
        m_upDown->Step(event->angleDelta().y() > 0 ? 1 : -1);
    event->accept();
}

bool TYearEdit::eventFilter(QObject* watched, QEvent* event)
{
    // A press on any other control ends the edit the way a click elsewhere ends a modal state: accepted.
    if (event->type() == QEvent::MouseButtonPress && !isHidden() && !m_closing) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool ours = widget && (widget == this || isAncestorOf(widget) ||
                                     (m_upDown && (widget == m_upDown || m_upDown->isAncestorOf(widget))));
        if (widget && !ours)
            CloseEdit(true);
    }
    return QLineEdit::eventFilter(watched, event);
}
