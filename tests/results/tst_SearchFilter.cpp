#include "results/SearchFilter.h"

#include <QTest>

class tst_SearchFilter : public QObject
{
    Q_OBJECT

private slots:
    void filterText_data();
    void filterText();
};

void tst_SearchFilter::filterText_data()
{
    QTest::addColumn<SearchCriteria>("criteria");
    QTest::addColumn<QString>("filter");

    auto names = [](const QString& first, const QString& last) {
        SearchCriteria c;
        c.firstName = first;
        c.lastName = last;
        return c;
    };
    auto lists = [](int gender, int grade) {
        SearchCriteria c;
        c.genderIndex = gender;
        c.gradeIndex = grade;
        return c;
    };
    SearchCriteria numbers;
    numbers.fileNo = 1234;
    numbers.fileNoText = QStringLiteral("1,234");
    numbers.age = 40;
    numbers.ageText = QStringLiteral("40");
    SearchCriteria dateOnly;
    dateOnly.date = ShEncodeDate(1391, 2, 10);
    SearchCriteria lateDate = dateOnly;
    lateDate.age = 7;
    lateDate.ageText = QStringLiteral("7");

    QTest::newRow("nothing set") << SearchCriteria() << "";
    QTest::newRow("box texts go in as shown") << numbers << "(Fileno=1,234) And (Age=40)";
    QTest::newRow("the date as date text") << dateOnly << "(Date='1391/02/10')";
    QTest::newRow("a later clause is joined to the date") << lateDate << "(Date='1391/02/10') And (Age=7)";
    QTest::newRow("male and the last grade") << lists(2, 8) << "(Gender=1) And (Grade=7)";
    QTest::newRow("female and the first grade") << lists(1, 1) << "(Gender=0) And (Grade=0)";
    QTest::newRow("a single quote is doubled")
        << names(QStringLiteral("O'Brien"), QStringLiteral("'")) << "(FName='O''Brien') And (LName='''')";
    QTest::newRow("blanks kept inside and around")
        << names(QStringLiteral(" علي  رضا "), QString()) << "(FName=' علي  رضا ')";
    QTest::newRow("a percent sign is only a letter")
        << names(QStringLiteral("%1"), QStringLiteral("%2")) << "(FName='%1') And (LName='%2')";
    QTest::newRow("tab and blanks are no name") << names(QStringLiteral("\t "), QStringLiteral("  ")) << "";
}

void tst_SearchFilter::filterText()
{
    QFETCH(SearchCriteria, criteria);
    QFETCH(QString, filter);
    QCOMPARE(SearchFilterText(criteria), filter);
}

QTEST_GUILESS_MAIN(tst_SearchFilter)
#include "tst_SearchFilter.moc"
