// The parser on arbitrary text under arbitrary settings: it must never crash, and whatever it accepts must be
// a whole day that the calendar can encode.

#include "FuzzSettings.h"

#include "calendar/Clock.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in{data, size};
    fuzz::applySettings(in);
    // A fixed "today" anywhere from year 1 to past 9999, including the edges where window arithmetic wraps.
    Clock::setFixed(-466699.0 + in.byte() * 15000.0 + in.byte() * 60.0);

    const QString text = in.text();
    TDateTime value = 0.125;
    if (ShTryStrToDate(text, value)) {
        Word y, m, d;
        ShDecodeDate(value, y, m, d);
        TDateTime again = 0;
        if (value != std::trunc(value) || !ShTryEncodeDate(y, m, d, again) || again != value)
            std::abort();
    } else if (value != 0.125) {
        std::abort(); // a failed parse must leave the value alone
    }
    try {
        ShStrToDate(text);
    } catch (const EConvertError&) {
    }
    return 0;
}
