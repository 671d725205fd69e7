#include "tests/support/FixedClock.h"

#include "calendar/Clock.h"

#include <QDate>
#include <QTime>

namespace {

// Day serials count from 30 December 1899; the fraction is the time of day.
TDateTime dateTimeValue(const QDateTime& local)
{
    const qint64 days = QDate(1899, 12, 30).daysTo(local.date());
    return double(days) + local.time().msecsSinceStartOfDay() / 86400000.0;
}

} // namespace

ScopedFixedClock::ScopedFixedClock(const QDateTime& now)
{
    Clock::setFixed(dateTimeValue(now.toLocalTime()));
}

ScopedFixedClock::~ScopedFixedClock()
{
    Clock::useSystem();
}
