#include "results/ScoreRebuild.h"

#include "data/DataError.h"
#include "tests/results/ResultsFixture.h"

#include <QTest>

#include <memory>

// The rebuild over real participant question tables: scores, top scores, percentages, the sub-scales' Persian
// order, and what is left when it fails.
class tst_ScoreRebuild : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scores_data();
    void scores();
    void fieldsAreTypedAndReadOnly();
    void secondParticipantLeavesNoTrace();
    void failureClosesBothQueries_data();
    void failureClosesBothQueries();

private:
    QString addCompletedParticipant(int fileNo, const std::vector<FixtureItem>& items);

    std::unique_ptr<ResultsDatabase> m_db;
    TData* m_data = nullptr;
};

namespace {

std::vector<ScoreRow> rowsOf(QueryDataSet& query, const QString& groupField)
{
    std::vector<ScoreRow> rows;
    for (query.first(); !query.eof(); query.next())
        rows.push_back({query.fieldByName(groupField).asString(), query.fieldByName(QStringLiteral("SumScore")).asFloat(),
                        query.fieldByName(QStringLiteral("TopScore")).asInteger(),
                        query.fieldByName(QStringLiteral("Per")).asFloat()});
    return rows;
}

QString describe(const std::vector<ScoreRow>& rows)
{
    QStringList texts;
    for (const ScoreRow& r : rows)
        texts << QStringLiteral("%1 %2/%3 %4").arg(r.group).arg(r.sumScore).arg(r.topScore).arg(r.per);
    return texts.join(QStringLiteral(" | "));
}

void compareRows(const std::vector<ScoreRow>& actual, const std::vector<ScoreRow>& expected)
{
    const QString message = describe(actual) + QStringLiteral("  expected  ") + describe(expected);
    QVERIFY2(actual.size() == expected.size(), qPrintable(message));
    for (size_t i = 0; i < actual.size(); ++i) {
        QVERIFY2(actual[i].group == expected[i].group, qPrintable(message));
        QVERIFY2(actual[i].sumScore == expected[i].sumScore, qPrintable(message));
        QVERIFY2(actual[i].topScore == expected[i].topScore, qPrintable(message));
        QVERIFY2(qFuzzyCompare(actual[i].per, expected[i].per), qPrintable(message));
    }
}

// The scale rows carry no order of their own: they are compared by name.
std::vector<ScoreRow> sortedByName(std::vector<ScoreRow> rows)
{
    std::sort(rows.begin(), rows.end(), [](const ScoreRow& a, const ScoreRow& b) { return a.group < b.group; });
    return rows;
}

} // namespace

void tst_ScoreRebuild::init()
{
    m_db = std::make_unique<ResultsDatabase>(std::vector<FixtureItem>{});
    m_data = m_db->data.get();
}

void tst_ScoreRebuild::cleanup()
{
    m_data = nullptr;
    m_db.reset();
}

QString tst_ScoreRebuild::addCompletedParticipant(int fileNo, const std::vector<FixtureItem>& items)
{
    replaceQuestions(m_data->Database, items);
    return m_db->add(
        participantWith(fileNo, QStringLiteral("مريم"), QStringLiteral("کاظمي"), 0, 3, true, answersOf(items)));
}

void tst_ScoreRebuild::scores_data()
{
    QTest::addColumn<std::vector<FixtureItem>>("items");
    QTest::addColumn<std::vector<ScoreRow>>("scales");    // only those named, by name
    QTest::addColumn<std::vector<ScoreRow>>("subScales"); // all of them, in order

    const QString stress = QStringLiteral("کنترل استرس");
    const QString adapt = QStringLiteral("سازگاري");
    const QString bearing = QStringLiteral("تحمل فشار");
    const QString impulse = QStringLiteral("پرهيز از تکانش");
    const QString solving = QStringLiteral("حل مسئله");
    QTest::newRow("four items 5 4 3 5, three items 1 2 2")
        << std::vector<FixtureItem>{{stress, bearing, 5}, {stress, impulse, 4}, {stress, bearing, 3},
                                    {stress, impulse, 5}, {adapt, solving, 1}, {adapt, solving, 2},
                                    {adapt, solving, 2}}
        << std::vector<ScoreRow>{{adapt, 5, 15, 33.33}, {stress, 17, 20, 85}}
        // Persian order: pe before te before he, although pe's code point comes last.
        << std::vector<ScoreRow>{{impulse, 9, 10, 90}, {bearing, 8, 10, 80}, {solving, 5, 15, 33.33}};

    const QString happy = QStringLiteral("شادکامي");
    const QString coping = QStringLiteral("کنار آمدن");
    QTest::newRow("a sub-scale item without a scale does not count towards the top score")
        << std::vector<FixtureItem>{{happy, coping, 4}, {happy, coping, 5}, {QString(), coping, 3}}
        << std::vector<ScoreRow>{{happy, 9, 10, 90}}
        << std::vector<ScoreRow>{{coping, 12, 10, 120}};

    const QString joy = QStringLiteral("لذت");
    const QString control = QStringLiteral("کنترل تکانه");
    const QString leaning = QStringLiteral("گرايش");
    QTest::newRow("keheh and gaf come before lam")
        << std::vector<FixtureItem>{{happy, joy, 2}, {happy, leaning, 3}, {happy, control, 4}}
        << std::vector<ScoreRow>{{happy, 9, 15, 60}}
        << std::vector<ScoreRow>{{control, 4, 5, 80}, {leaning, 3, 5, 60}, {joy, 2, 5, 40}};
}

void tst_ScoreRebuild::scores()
{
    QFETCH(std::vector<FixtureItem>, items);
    QFETCH(std::vector<ScoreRow>, scales);
    QFETCH(std::vector<ScoreRow>, subScales);

    const QString table = addCompletedParticipant(7, items);
    rebuildScoreQueries(*m_data, table);

    QCOMPARE(m_data->tbQuestions.tableName(), table);
    QVERIFY(m_data->tbQuestions.isActive());
    std::vector<ScoreRow> named;
    for (const ScoreRow& row : rowsOf(m_data->qTest1, QStringLiteral("Group1")))
        for (const ScoreRow& wanted : scales)
            if (row.group == wanted.group)
                named.push_back(row);
    compareRows(sortedByName(named), sortedByName(scales));
    compareRows(rowsOf(m_data->qTest2, QStringLiteral("Group2")), subScales);
}

void tst_ScoreRebuild::fieldsAreTypedAndReadOnly()
{
    rebuildScoreQueries(*m_data, addCompletedParticipant(7, {{QStringLiteral("الف"), QStringLiteral("ب"), 4}}));
    for (QueryDataSet* query : {&m_data->qTest1, &m_data->qTest2}) {
        const auto& fields = query->fields();
        QCOMPARE(int(fields.size()), 4);
        QCOMPARE(fields[1].name, QStringLiteral("SumScore"));
        QCOMPARE(fields[1].type, FieldType::Double);
        QCOMPARE(fields[2].name, QStringLiteral("TopScore"));
        QCOMPARE(fields[2].type, FieldType::Integer);
        QCOMPARE(fields[3].name, QStringLiteral("Per"));
        QCOMPARE(fields[3].type, FieldType::Double);
        for (const FieldDef& field : fields)
            QVERIFY2(field.readOnly, qPrintable(field.name));
    }
}

void tst_ScoreRebuild::secondParticipantLeavesNoTrace()
{
    const std::vector<FixtureItem> items{{QStringLiteral("الف"), QStringLiteral("ب"), 1},
                                         {QStringLiteral("الف"), QStringLiteral("پ"), 5}};
    const QString first = addCompletedParticipant(7, items);
    // Only the first participant's table holds this sub-scale.
    m_data->Database.execute(QStringLiteral("UPDATE %1 SET Group2 = 'ت' WHERE Row = 1").arg(first));
    const QString secondTable =
        m_db->add(participantWith(8, QStringLiteral("علي"), QStringLiteral("رضايي"), 1, 1, true, {3, 3}));

    rebuildScoreQueries(*m_data, first);
    rebuildScoreQueries(*m_data, secondTable);

    for (QueryDataSet* query : {&m_data->qTest1, &m_data->qTest2}) {
        const QString text = query->sql().join(QLatin1Char('\n'));
        QVERIFY(text.contains(secondTable));
        QVERIFY(!text.contains(first));
    }
    compareRows(rowsOf(m_data->qTest1, QStringLiteral("Group1")), {{QStringLiteral("الف"), 6, 10, 60}});
    compareRows(rowsOf(m_data->qTest2, QStringLiteral("Group2")),
                {{QStringLiteral("ب"), 3, 5, 60}, {QStringLiteral("پ"), 3, 5, 60}});
}

void tst_ScoreRebuild::failureClosesBothQueries_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("no such table") << QStringLiteral("QWERTYQWERTYQWE");
    QTest::newRow("not a participant table name") << QStringLiteral("Profiles; --");
    QTest::newRow("empty name") << QString();
}

void tst_ScoreRebuild::failureClosesBothQueries()
{
    QFETCH(QString, table);
    rebuildScoreQueries(*m_data, addCompletedParticipant(7, {{QStringLiteral("الف"), QStringLiteral("ب"), 4}}));
    QVERIFY(m_data->qTest1.isActive() && m_data->qTest2.isActive());

    QVERIFY_THROWS_EXCEPTION(DataError, rebuildScoreQueries(*m_data, table));
    QVERIFY(!m_data->qTest1.isActive());
    QVERIFY(!m_data->qTest2.isActive());
}

QTEST_GUILESS_MAIN(tst_ScoreRebuild)
#include "tst_ScoreRebuild.moc"
