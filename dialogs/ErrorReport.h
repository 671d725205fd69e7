#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

// The application's error report. Errors of the data layer are not caught where they happen: the action
// stops at the failing step, the text reaches the operator in a message box and the window stays open.
// Exceptions must never travel through Qt's event loop, so every event handler runs through guarded().

// Shows `text` in the system's message dialog (button set 0, the red shield, caption "خطا"). Never throws.
void reportError(const QString& text) noexcept;

// The text an exception is reported with: what() read as UTF-8, or a fixed text when it is empty.
QString errorReportText(const std::exception& error);

// Runs `handler`; an exception escaping it is shown by reportError() and goes no further.
// Returns false when the handler ended with an exception.
template <typename Handler> bool guarded(Handler&& handler) noexcept
{
    try {
        std::invoke(std::forward<Handler>(handler));
        return true;
    } catch (const std::exception& error) {
        reportError(errorReportText(error));
    } catch (...) {
        reportError(QStringLiteral("خطاي ناشناخته"));
    }
    return false;
}

// A slot for connect() that runs a member handler through guarded():
//   connect(m_ui->btStart, &QPushButton::clicked, this, guardedSlot(this, &TfrmNewTest::btStartClick));
template <typename Object, typename Result> auto guardedSlot(Object* object, Result (Object::*handler)())
{
    return [object, handler] { guarded([&] { (object->*handler)(); }); };
}
