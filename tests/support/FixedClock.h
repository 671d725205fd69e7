#pragma once

#include <QDateTime>

// Stands the program's clock still at `now` (local time) for the lifetime of the object, then puts the
// machine's clock back.
class ScopedFixedClock
{
public:
    explicit ScopedFixedClock(const QDateTime& now);
    ~ScopedFixedClock();
    ScopedFixedClock(const ScopedFixedClock&) = delete;
    ScopedFixedClock& operator=(const ScopedFixedClock&) = delete;
};
