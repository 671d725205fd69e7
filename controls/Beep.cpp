#include "controls/Beep.h"

#include <QApplication>

#include <utility>

namespace {

std::function<void()>& beepHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

void SystemBeep()
{
    if (const auto& hook = beepHook())
        hook();
    else
        QApplication::beep();
}

std::function<void()> SetSystemBeepHook(std::function<void()> hook)
{
    return std::exchange(beepHook(), std::move(hook));
}
