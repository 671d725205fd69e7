#include "dialogs/KeyRule.h"

#include "dialogs/ErrorReport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

namespace {

const char* const RuleName = "windowKeyRule";
const char* const EnterActionName = "enterAction";

class EnterAction : public QObject
{
public:
    EnterAction(QWidget* box, std::function<void()> action) : QObject(box), m_action(std::move(action))
    {
        setObjectName(QLatin1String(EnterActionName));
    }

    void setAction(std::function<void()> action) { m_action = std::move(action); }
    void run() const { guarded(m_action); }

private:
    std::function<void()> m_action;
};

EnterAction* enterActionOf(const QWidget* widget)
{
    return widget->findChild<EnterAction*>(QLatin1String(EnterActionName), Qt::FindDirectChildrenOnly);
}

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool isEntryBox(const QWidget* widget)
{
    // The date picker lives in a library above this one: it is known by its class name.
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || widget->inherits("TCustomShDatePicker");
}

bool keepsLineBreaks(const QWidget* widget)
{
    return qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

class WindowKeyRule : public QObject
{
public:
    explicit WindowKeyRule(QWidget* window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(RuleName));
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != m_window || QApplication::activePopupWidget())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier))
            return false;
        if (key->key() == Qt::Key_Escape)
            return true;
        if (!isEnter(key))
            return false;
        return handleEnter(widget);
    }

private:
    bool handleEnter(QWidget* focused)
    {
        for (QWidget* w = focused; w && w != m_window; w = w->parentWidget()) {
            if (const EnterAction* action = enterActionOf(w)) {
                action->run();
                return true;
            }
        }
        if (qobject_cast<QPushButton*>(focused) || qobject_cast<QToolButton*>(focused)) {
            static_cast<QAbstractButton*>(focused)->click();
            return true;
        }
        if (keepsLineBreaks(focused))
            return false;
        if (isEntryBox(focused)) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(focused, &tab);
        }
        return true;
    }

    QWidget* m_window;
};

} // namespace

void installWindowKeyRule(QWidget* window)
{
    if (!window->findChild<WindowKeyRule*>(QLatin1String(RuleName), Qt::FindDirectChildrenOnly))
        new WindowKeyRule(window);
}

void setEnterAction(QWidget* box, std::function<void()> action)
{
    EnterAction* existing = enterActionOf(box);
    if (!action) {
        delete existing;
        return;
    }
    if (existing)
        existing->setAction(std::move(action));
    else
        new EnterAction(box, std::move(action));
}
