#include "calendar/ShDateConsts.h"

// The three compound weekday names (Sunday, Tuesday, Thursday) carry a zero-width non-joiner (U+200C) before
// their second part; yeh is the Arabic yeh (U+064A) and the kaf of Sunday is keheh (U+06A9). Do not retype.

const QString ShLongMonthNames[13] = {
    QString(),
    QStringLiteral("فروردين"),  // 1
    QStringLiteral("ارديبهشت"), // 2
    QStringLiteral("خرداد"),    // 3
    QStringLiteral("تير"),      // 4
    QStringLiteral("امرداد"),   // 5
    QStringLiteral("شهريور"),   // 6
    QStringLiteral("مهر"),      // 7
    QStringLiteral("آبان"),     // 8
    QStringLiteral("آذر"),      // 9
    QStringLiteral("دي"),       // 10
    QStringLiteral("بهمن"),     // 11
    QStringLiteral("اسفند"),    // 12
};

const QString ShShortMonthNames[13] = {
    QString(),
    QStringLiteral("فرو"), // 1
    QStringLiteral("ارد"), // 2
    QStringLiteral("خرد"), // 3
    QStringLiteral("تير"), // 4
    QStringLiteral("امر"), // 5
    QStringLiteral("شهر"), // 6
    QStringLiteral("مهر"), // 7
    QStringLiteral("آبا"), // 8
    QStringLiteral("آذر"), // 9
    QStringLiteral("دي"),  // 10
    QStringLiteral("بهم"), // 11
    QStringLiteral("اسف"), // 12
};

const QString ShLongDayNames[8] = {
    QString(),
    QStringLiteral("شنبه"),              // 1
    QStringLiteral("يک‌شنبه"),   // 2
    QStringLiteral("دوشنبه"),            // 3
    QStringLiteral("سه‌شنبه"),   // 4
    QStringLiteral("چهارشنبه"),          // 5
    QStringLiteral("پنج‌شنبه"), // 6
    QStringLiteral("آدينه"),             // 7
};

const QString ShShortDayNames[8] = {
    QString(),
    QStringLiteral("ش"), // 1
    QStringLiteral("ي"), // 2
    QStringLiteral("د"), // 3
    QStringLiteral("س"), // 4
    QStringLiteral("چ"), // 5
    QStringLiteral("پ"), // 6
    QStringLiteral("آ"), // 7
};
