// The format engine on arbitrary patterns and values (any 64-bit pattern: NaN, infinities, far dates) under
// arbitrary settings, together with the arithmetic a value goes through: never a crash, never more than 256
// characters.

#include "FuzzSettings.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in{data, size};
    fuzz::applySettings(in);
    double value = 0;
    if (in.size >= sizeof value) {
        std::memcpy(&value, in.data, sizeof value);
        in.data += sizeof value;
        in.size -= sizeof value;
    }
    // Half the inputs use a value inside the calendar, where the fields are real dates.
    if (in.byte() & 1)
        value = std::fmod(value, 3652058.0) - 466699.0;

    const QString pattern = in.text();
    if (ShDateTimeToString(pattern, value).size() > 256 || ShDateToStr(value).size() > 256 ||
        ShDateTimeToStr(value).size() > 256)
        std::abort();

    Word y, m, d, dow;
    ShDecodeDateFully(value, y, m, d, dow);
    const Word weekday = ShDayOfWeek(value);
    if (weekday < 1 || weekday > 7 || m > 12 || d > 31)
        std::abort();
    Word y2 = y, m2 = m, d2 = d;
    ShIncAMonth(y2, m2, d2, static_cast<int>(in.size) * 7 - 100);
    try {
        ShIncMonth(value, static_cast<int>(in.size) - 13);
        ShWeekOfTheYear(static_cast<std::uint8_t>(in.size), value);
    } catch (const EConvertError&) {
    }
    return 0;
}
