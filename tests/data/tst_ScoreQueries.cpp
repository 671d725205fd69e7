#include "data/DataModule.h"
#include "data/ScoreQueries.h"
#include "tests/support/TempRavlenDb.h"

#include <QTest>

namespace {

// One row per group of an open score query: "group: sum/top/percentage".
QStringList rowsOf(QueryDataSet& query, const char* group)
{
    QStringList rows;
    for (query.first(); !query.eof(); query.next())
        rows << QStringLiteral("%1: %2/%3/%4")
                    .arg(query.fieldByName(QLatin1String(group)).asString())
                    .arg(query.fieldByName(QStringLiteral("SumScore")).asFloat())
                    .arg(query.fieldByName(QStringLiteral("TopScore")).asInteger())
                    .arg(query.fieldByName(QStringLiteral("Per")).asFloat());
    return rows;
}

} // namespace

class tst_ScoreQueries : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void scoresOfAParticipantTable_data();
    void scoresOfAParticipantTable();
    void designTimeTextRunsOnTheMasterTable();

private:
    std::unique_ptr<TempRavlenDb> m_file;
    std::unique_ptr<TData> m_data;
};

void tst_ScoreQueries::init()
{
    m_file = std::make_unique<TempRavlenDb>();
    m_data = std::make_unique<TData>();
    m_data->ConnectToDatabase(m_file->path());
}

void tst_ScoreQueries::cleanup()
{
    m_data.reset();
    m_file.reset();
}

void tst_ScoreQueries::scoresOfAParticipantTable_data()
{
    QTest::addColumn<QString>("rows"); // Group1, Group2, Score of each item of the participant table
    QTest::addColumn<QStringList>("byScale");
    QTest::addColumn<QStringList>("bySubScale");

    const QString worked = QStringLiteral("('الف','ج',5), ('الف','ج',4), ('الف','د',3), ('الف','د',5), "
                                          "('ب','ه',1), ('ب','ه',2), ('ب','ه',2)");
    QTest::newRow("worked values") << worked << QStringList{"الف: 17/20/85", "ب: 5/15/33.33"}
                                   << QStringList{"ج: 9/10/90", "د: 8/10/80", "ه: 5/15/33.33"};
    // A row without an overall scale adds its score but not to the top score of its sub-scale. In the scale
    // query it forms a group of its own with a top score of 0 (no percentage).
    QTest::newRow("a sub-scale row without an overall scale")
        << worked + QStringLiteral(", (NULL,'ه',4)") << QStringList{": 4/0/0", "الف: 17/20/85", "ب: 5/15/33.33"}
        << QStringList{"ج: 9/10/90", "د: 8/10/80", "ه: 9/15/60"};
    QTest::newRow("sub-scales come sorted by name")
        << QStringLiteral("('الف','ه',5), ('الف','ج',1), ('الف','د',3)") << QStringList{"الف: 9/15/60"}
        << QStringList{"ج: 1/5/20", "د: 3/5/60", "ه: 5/5/100"};
}

void tst_ScoreQueries::scoresOfAParticipantTable()
{
    QFETCH(QString, rows);
    QFETCH(QStringList, byScale);
    QFETCH(QStringList, bySubScale);

    const QString table = QStringLiteral("ABCDEFGHIJKLMNO");
    m_data->Database.execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row<0").arg(table));
    m_data->Database.execute(QStringLiteral("INSERT INTO %1 (Group1, Group2, Score) VALUES %2").arg(table, rows));

    m_data->qTest1.sql() = scoreByScaleSql(table);
    m_data->qTest2.sql() = scoreBySubScaleSql(table);
    m_data->qTest1.open();
    m_data->qTest2.open();
    QStringList scales = rowsOf(m_data->qTest1, "Group1");
    scales.sort(); // the engine's own order of the overall scales is not part of the result
    QCOMPARE(scales, byScale);
    QCOMPARE(rowsOf(m_data->qTest2, "Group2"), bySubScale);
}

void tst_ScoreQueries::designTimeTextRunsOnTheMasterTable()
{
    // The text the data module starts with is runnable: on the fresh item bank every score is still 0.
    m_data->qTest1.open();
    m_data->qTest2.open();
    QVERIFY(m_data->qTest1.recordCount() > 0);
    QVERIFY(m_data->qTest2.recordCount() >= m_data->qTest1.recordCount());
    for (QueryDataSet* query : {&m_data->qTest1, &m_data->qTest2})
        for (query->first(); !query->eof(); query->next())
            QCOMPARE(query->fieldByName(QStringLiteral("Per")).asFloat(), 0.0);
}

QTEST_GUILESS_MAIN(tst_ScoreQueries)
#include "tst_ScoreQueries.moc"
