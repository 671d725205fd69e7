#include "calendar/Clock.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>

namespace {

std::atomic<bool> g_fixed{false};
std::atomic<double> g_fixedValue{0.0};

// Days from 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's civil-date algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

constexpr long long SerialOfUnixEpoch = 25569; // 1 January 1970 is day serial 25569

TDateTime systemNow()
{
    using namespace std::chrono;
    const auto point = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(point);
    const long long ms = duration_cast<milliseconds>(point.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    const long long serial = daysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                                           static_cast<unsigned>(local.tm_mday)) +
                             SerialOfUnixEpoch;
    const double msOfDay = ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 +
                           static_cast<double>(ms < 0 ? ms + 1000 : ms);
    return static_cast<double>(serial) + msOfDay / 86400000.0;
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
