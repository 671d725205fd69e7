// ICU's Persian calendar follows the same 33-year rule and epoch: an independent check of every day of the
// calendar in both directions, and of the weekday.

#include "calendar/ShDateUtils.h"

#include <QTest>

#include <memory>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace {

constexpr int FirstSerial = -466699; // (1, 1, 1)
constexpr int LastSerial = 3185359;  // (9999, 12, 29)
constexpr double UnixEpochSerial = 25569;
constexpr double MsPerDay = 86400000.0;

} // namespace

class tst_ShDateIcu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDayAgreesWithIcu();
    void everyDateEncodesLikeIcu();

private:
    std::unique_ptr<icu::Calendar> m_persian;
};

void tst_ShDateIcu::initTestCase()
{
    UErrorCode status = U_ZERO_ERROR;
    m_persian.reset(
        icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), icu::Locale("fa_IR@calendar=persian"), status));
    QVERIFY2(U_SUCCESS(status), u_errorName(status));
    QCOMPARE(QString::fromLatin1(m_persian->getType()), QStringLiteral("persian"));
}

void tst_ShDateIcu::everyDayAgreesWithIcu()
{
    UErrorCode status = U_ZERO_ERROR;
    for (int serial = FirstSerial; serial <= LastSerial; ++serial) {
        // Noon, so that no rounding near midnight can shift ICU's day.
        m_persian->setTime((serial - UnixEpochSerial + 0.5) * MsPerDay, status);
        const int year = m_persian->get(UCAL_EXTENDED_YEAR, status);
        const int month = m_persian->get(UCAL_MONTH, status) + 1;
        const int day = m_persian->get(UCAL_DATE, status);
        const int icuDow = m_persian->get(UCAL_DAY_OF_WEEK, status); // 1 Sunday .. 7 Saturday
        if (U_FAILURE(status))
            QFAIL(u_errorName(status));
        Word y, m, d, dow;
        ShDecodeDateFully(serial, y, m, d, dow);
        if (y != year || m != month || d != day || dow != icuDow % 7 + 1)
            QFAIL(qPrintable(QStringLiteral("serial %1: ours %2/%3/%4 weekday %5, ICU %6/%7/%8 weekday %9")
                                 .arg(serial)
                                 .arg(y)
                                 .arg(m)
                                 .arg(d)
                                 .arg(dow)
                                 .arg(year)
                                 .arg(month)
                                 .arg(day)
                                 .arg(icuDow % 7 + 1)));
    }
}

void tst_ShDateIcu::everyDateEncodesLikeIcu()
{
    UErrorCode status = U_ZERO_ERROR;
    for (int year = 1; year <= 9999; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int length = ShMonthDays[ShIsLeapYear(year)][month];
            // ICU must agree on the month's length, then on where the month begins; the days in between follow.
            m_persian->clear();
            m_persian->set(UCAL_EXTENDED_YEAR, year);
            m_persian->set(UCAL_MONTH, month - 1);
            m_persian->set(UCAL_DATE, 1);
            const double first = m_persian->getTime(status) / MsPerDay + UnixEpochSerial;
            const int icuLength = m_persian->getActualMaximum(UCAL_DATE, status);
            if (U_FAILURE(status))
                QFAIL(u_errorName(status));
            TDateTime ours = 0;
            if (!ShTryEncodeDate(year, month, 1, ours) || ours != first || length != icuLength)
                QFAIL(qPrintable(QStringLiteral("%1/%2: ours serial %3 length %4, ICU %5 length %6")
                                     .arg(year)
                                     .arg(month)
                                     .arg(ours)
                                     .arg(length)
                                     .arg(first)
                                     .arg(icuLength)));
        }
    }
}

QTEST_GUILESS_MAIN(tst_ShDateIcu)
#include "tst_ShDateIcu.moc"
