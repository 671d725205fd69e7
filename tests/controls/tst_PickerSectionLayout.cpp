#include "controls/PickerSectionLayout.h"

#include <QTest>

// Round widths that make every position easy to follow: fields 10, date separator 4, time separator 3, AM/PM 20,
// space 5, a line 16 high, in an edit (and client) area 200 by 19 starting at (1, 1).
static const TPickerMetrics kMetrics{10, 4, 3, 20, 5, 16};
static const QRect kArea(1, 1, 200, 19);

static TPickerSectionLayout layoutOf(const QString& setup, Qt::Alignment alignment, bool rightToLeft)
{
    TPickerSections sections;
    for (const QString& word : setup.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == "dt")
            sections.SetKind(dtkDateTime);
        else if (word == "time")
            sections.SetKind(dtkTime);
        else if (word == "sec")
            sections.SetShowSecond(true);
        else if (word == "12h")
            sections.SetUse12HourClock(true);
    }
    return TPickerSectionLayout(sections, kMetrics, alignment, rightToLeft, kArea, kArea);
}

// "section=left-right" for every shown section, in section order.
static QString extents(const TPickerSectionLayout& layout)
{
    static const QStringList names = {"year", "month", "day", "hour", "minute", "second", "msec", "ampm"};
    QStringList out;
    for (int s = 0; s < TPickerSections::SectionCount; ++s)
        if (layout.Right(s) != 0)
            out << QStringLiteral("%1=%2-%3").arg(names[s]).arg(layout.Left(s)).arg(layout.Right(s));
    return out.join(QLatin1Char(' '));
}

class tst_PickerSectionLayout : public QObject
{
    Q_OBJECT

private slots:
    void arrange_data();
    void arrange();
    void sectionAt();
};

// clang-format off
void tst_PickerSectionLayout::arrange_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("rightToLeft");
    QTest::addColumn<QString>("extents");

    // A date line is 4 fields and 2 separators wide (48): centred it starts at 1 + (200 - 48) / 2.
    QTest::newRow("date, centred") << "" << int(Qt::AlignHCenter) << false
        << "year=77-97 month=101-111 day=115-125";
    QTest::newRow("date, left") << "" << int(Qt::AlignLeft) << false
        << "year=4-24 month=28-38 day=42-52";
    QTest::newRow("date, right") << "" << int(Qt::AlignRight) << false
        << "year=150-170 month=174-184 day=188-198";
    QTest::newRow("right to left, left becomes right") << "" << int(Qt::AlignLeft) << true
        << "year=150-170 month=174-184 day=188-198";
    QTest::newRow("right to left, absolute left stays left") << "" << int(Qt::AlignLeft | Qt::AlignAbsolute) << true
        << "year=4-24 month=28-38 day=42-52";
    QTest::newRow("time") << "time" << int(Qt::AlignHCenter) << false
        << "hour=89-99 minute=102-112";
    QTest::newRow("date and time with seconds and AM/PM") << "dt sec 12h" << int(Qt::AlignHCenter) << false
        << "year=45-65 month=69-79 day=83-93 hour=98-108 minute=111-121 second=124-134 ampm=137-157";
}
// clang-format on

void tst_PickerSectionLayout::arrange()
{
    QFETCH(QString, setup);
    QFETCH(int, alignment);
    QFETCH(bool, rightToLeft);

    const TPickerSectionLayout layout = layoutOf(setup, Qt::Alignment(alignment), rightToLeft);
    QTEST(extents(layout), "extents");
    // The line runs from the first section to the last, centred in the 19-pixel area.
    const QRect line = layout.TextRect();
    const int first = extents(layout).section(QLatin1Char('='), 1, 1).section(QLatin1Char('-'), 0, 0).toInt();
    QCOMPARE(line.left(), first);
    QCOMPARE(line.top(), 2);
    QCOMPARE(line.height(), 16);
}

void tst_PickerSectionLayout::sectionAt()
{
    const TPickerSectionLayout layout = layoutOf("dt", Qt::AlignLeft, false);
    QCOMPARE(layout.SectionAt(layout.Left(TPickerSections::secMonth) + 1), int(TPickerSections::secMonth));
    // The edges and the separators between sections belong to none.
    QCOMPARE(layout.SectionAt(layout.Left(TPickerSections::secMonth)), -1);
    QCOMPARE(layout.SectionAt(layout.Right(TPickerSections::secYear) + 1), -1);
    QCOMPARE(layout.SectionAt(layout.Right(TPickerSections::secMinute) + 5), -1);
    QCOMPARE(layout.SectionAt(0), -1);
}

QTEST_GUILESS_MAIN(tst_PickerSectionLayout)
#include "tst_PickerSectionLayout.moc"
