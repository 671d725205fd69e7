#include "calendar/Clock.h"

#include "calendar/ShCalendarMode.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>

namespace {

std::atomic<bool> g_fixed{false};
std::atomic<double> g_fixedValue{0.0};

TDateTime systemNow()
{
    using namespace std::chrono;
    const auto point = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(point);
    const long long ms = duration_cast<milliseconds>(point.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    const TDateTime serial = ShGregorianToSerial(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
    const double msOfDay = ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 +
                           static_cast<double>(ms < 0 ? ms + 1000 : ms);
    return serial + msOfDay / static_cast<double>(ShCalendarMode::MsPerDay);
}

} // namespace

namespace Clock {

TDateTime now()
{
    return g_fixed.load() ? g_fixedValue.load() : systemNow();
}

TDateTime today()
{
    return std::trunc(now());
}

void setFixed(TDateTime v)
{
    g_fixedValue.store(v);
    g_fixed.store(true);
}

void useSystem()
{
    g_fixed.store(false);
}

} // namespace Clock
