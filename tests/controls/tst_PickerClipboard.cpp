#include "controls/PickerClipboard.h"

#include "calendar/Clock.h"

#include <QLocale>
#include <QTest>

class tst_PickerClipboard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void read_data();
    void read();
    void roundTrip_data();
    void roundTrip();
};

// Today is 12 Mordad 1404 (3 August 2025): Gregorian two-digit years fall in 1975..2074. Gregorian dates read in the
// United States' short format, M/d/yy.
void tst_PickerClipboard::init()
{
    Clock::setFixed(ShEncodeDate(1404, 5, 12));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void tst_PickerClipboard::cleanup()
{
    Clock::useSystem();
}

// clang-format off
void tst_PickerClipboard::read_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("day"); // the day read, yyyy-MM-dd in the Gregorian calendar; "" when none

    QTest::newRow("Solar Hijri date") << false << "1399/07/03" << "2020-09-24";
    QTest::newRow("Persian digits") << false << QString::fromUtf8("۱۳۹۹/۰۷/۰۳") << "2020-09-24";
    QTest::newRow("Arabic-Indic digits") << false << QString::fromUtf8("١٣٩٩/٠٧/٠٣") << "2020-09-24";
    QTest::newRow("direction marks and blanks around it") << false << QString::fromUtf8(" \u200F۱۳۹۹/۰۷/۰۳\u200E ")
        << "2020-09-24";
    QTest::newRow("text that is no date") << false << "hello" << "";
    QTest::newRow("a Gregorian date in Solar Hijri mode") << false << "8/23/25" << "";
    QTest::newRow("Gregorian two-digit year in the window") << true << "8/23/25" << "2025-08-23";
    QTest::newRow("Gregorian two-digit year at the window's start") << true << "1/2/75" << "1975-01-02";
    QTest::newRow("Gregorian two-digit year past the century") << true << "1/2/50" << "2050-01-02";
    QTest::newRow("Gregorian four-digit year") << true << "8/23/1950" << "1950-08-23";
    QTest::newRow("Gregorian with Persian digits") << true << QString::fromUtf8("۸/۲۳/۲۵") << "2025-08-23";
    QTest::newRow("Gregorian no date") << true << "13/45/25" << "";
}
// clang-format on

void tst_PickerClipboard::read()
{
    QFETCH(bool, gregorian);
    QFETCH(QString, text);
    QFETCH(QString, day);

    TDateTime read = -1;
    QCOMPARE(tryReadPastedDate(text, ShCalendarMode(gregorian), read), !day.isEmpty());
    if (day.isEmpty())
        QCOMPARE(read, TDateTime(-1));
    else
        QCOMPARE(ShCalendarMode::ToGregorian(read).toString(Qt::ISODate), day);
}

void tst_PickerClipboard::roundTrip_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<TDateTime>("day");

    QTest::newRow("Solar Hijri today") << false << ShEncodeDate(1404, 5, 12);
    QTest::newRow("Solar Hijri leap day") << false << ShEncodeDate(1403, 12, 30);
    QTest::newRow("Solar Hijri year 100") << false << ShEncodeDate(100, 1, 1);
    QTest::newRow("Gregorian today") << true << ShEncodeDate(1404, 5, 12);
    QTest::newRow("Gregorian first day of the window") << true << ShGregorianToSerial(QDate(1975, 1, 1));
    QTest::newRow("Gregorian last day of the window") << true << ShGregorianToSerial(QDate(2074, 12, 31));
}

// What Ctrl+C writes, Ctrl+V reads back as the same day.
void tst_PickerClipboard::roundTrip()
{
    QFETCH(bool, gregorian);
    QFETCH(TDateTime, day);
    const ShCalendarMode mode(gregorian);

    TDateTime read = 0;
    QVERIFY(tryReadPastedDate(copiedDateText(day, mode), mode, read));
    QCOMPARE(read, day);
}

QTEST_GUILESS_MAIN(tst_PickerClipboard)
#include "tst_PickerClipboard.moc"
