#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <tuple>
#include <type_traits>
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

// Slots for connect() that run a member handler through guarded().
//
// The handler takes what the signal carries (or the first of it, or nothing):
//   connect(m_ui->btStart, &QPushButton::clicked, this, guardedSlot(this, &TfrmNewTest::btStartClick));
//   connect(box, &QComboBox::currentIndexChanged, this, guardedSlot(this, &TfrmX::cbGradeChange)); // (int)
// or the values given after it, captured by value when connecting; the signal's own arguments are then dropped.
// Several controls can so share one handler that needs to know which of them fired:
//   connect(m_ui->btCAgree, &QPushButton::clicked, this,
//           guardedSlot(this, &TfrmNewTest::AnswerClick, m_ui->btCAgree));
// This clang-format version folds requires-clauses onto the declaration.
// clang-format off
template <typename Object, typename Class, typename Result, typename... Params>
    requires std::is_base_of_v<Class, Object>
auto guardedSlot(Object* object, Result (Class::*handler)(Params...))
{
    return [object, handler](Params... args) { guarded([&] { (object->*handler)(std::forward<Params>(args)...); }); };
}

template <typename Object, typename Class, typename Result, typename... Params, typename First, typename... Rest>
    requires std::is_base_of_v<Class, Object>
auto guardedSlot(Object* object, Result (Class::*handler)(Params...), First&& first, Rest&&... rest)
{
    static_assert(sizeof...(Params) == 1 + sizeof...(Rest), "give the handler exactly the values it takes");
    return [object, handler, bound = std::make_tuple(std::forward<First>(first), std::forward<Rest>(rest)...)] {
        guarded([&] { std::apply([&](const auto&... values) { (object->*handler)(values...); }, bound); });
    };
}
// clang-format on
