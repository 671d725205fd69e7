#include "dialogs/WindowBeep.h"

#include <QApplication>

#include <utility>

namespace {

std::function<void()>& beepHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

void windowBeep()
{
    if (const auto& hook = beepHook())
        hook();
    else
        QApplication::beep();
}

std::function<void()> setWindowBeepHook(std::function<void()> hook)
{
    return std::exchange(beepHook(), std::move(hook));
}
