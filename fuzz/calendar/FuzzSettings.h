#pragma once

// Turns the first input bytes into regional format settings, so the fuzzers also reach the other field orders,
// separators, eras, the Far-East rule and self-expanding formats.

#include "calendar/ShDateUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace fuzz {

struct Input
{
    const std::uint8_t* data;
    std::size_t size;

    std::uint8_t byte()
    {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
    // The rest as UTF-16 code units: lone surrogates and every code point included.
    QString text() const
    {
        QString s(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
        std::memcpy(s.data(), data, size / 2 * 2); // the input need not be aligned for char16_t
        return s;
    }
};

inline void applySettings(Input& in)
{
    static const char* const shortDates[] = {"yyyy/MM/dd", "dd/MM/yyyy", "M/d/yy", "gg yyyy/MM/dd",  "ee/MM/dd",
                                             "ddddd",      "c yyyy",     "'q",     "yyyy/MM/dd ddd", ""};
    static const char* const times[] = {"hh:nn", "hh:nn:ss", "h:mm AM/PM", "tt", "c", "0h", "t ampm", ""};
    static const char16_t separators[] = {u'/', u'-', u'.', 0, u' ', u'\'', u'\u066B', u'y'};

    TFormatSettings s;
    const std::uint8_t a = in.byte();
    const std::uint8_t b = in.byte();
    s.ShortDateFormat = QString::fromLatin1(shortDates[a % std::size(shortDates)]);
    s.LongDateFormat = QString::fromLatin1(shortDates[(a / 16) % std::size(shortDates)]) + QStringLiteral(" dddddd");
    s.ShortTimeFormat = QString::fromLatin1(times[b % std::size(times)]);
    s.LongTimeFormat = QString::fromLatin1(times[(b / 8) % std::size(times)]);
    s.DateSeparator = QChar(separators[(b / 64 + a) % std::size(separators)]);
    s.TimeSeparator = QChar(separators[(a / 8) % std::size(separators)]);
    s.TwoDigitYearCenturyWindow = in.byte();
    const std::uint8_t c = in.byte();
    s.FarEast = c & 1;
    s.PrimaryLanguage = (c & 2) ? LangKorean : 0x29;
    if (c & 4) {
        s.EraNames = {QStringLiteral("Heisei"), QStringLiteral("Showa"), QString(), QStringLiteral("X")};
        const std::uint8_t offset = in.byte();
        s.EraYearOffsets = {offset == 255 ? std::numeric_limits<int>::min()
                                          : (offset == 254 ? std::numeric_limits<int>::max() : offset * 40 - 5000),
                            -1925, 0, std::numeric_limits<int>::max()};
    }
    if (c & 8)
        s.TimeAMString.clear();
    FormatSettings = s;
}

} // namespace fuzz
