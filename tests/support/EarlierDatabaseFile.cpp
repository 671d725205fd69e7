#include "tests/support/EarlierDatabaseFile.h"

#include "data/Schema.h"
#include "data/SqlBackend.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>

QStringList earlierSchemaStatements()
{
    QStringList statements = Schema::statements();
    static const QRegularExpression textType(QStringLiteral(R"((VARCHAR\(\d+\)))"));
    for (QString& sql : statements)
        sql.replace(textType, QStringLiteral("\\1 COLLATE PERSIAN"));
    return statements;
}

void makeEarlierDatabaseFile(const QString& fileName)
{
    const QString name = QStringLiteral("ravlen-earlier-%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
    {
        // Made like any new file (write-ahead log, collation registered), then given the earlier declarations.
        QSqlDatabase db = SqlBackend::createDatabase(name, fileName);
        SqlBackend::inTransaction(db, QStringLiteral("Cannot make the earlier file"), [&] {
            for (const QString& sql : earlierSchemaStatements())
                SqlBackend::execute(db, sql);
            SqlBackend::execute(
                db, QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question, Answer, Score) VALUES "
                                   "('الف', 'ب', 1, 'q1', 0, 0), ('الف', 'ب', 1, 'q2', 0, 0), "
                                   "('الف', 'پ', 1, 'q3', 0, 0), ('الف', 'پ', 1, 'q4', 0, 0), "
                                   "('ج', 'ی', 1, 'q5', 0, 0), ('ج', 'ی', 1, 'q6', 0, 0), ('ج', 'ی', 0, 'q7', 0, 0)"));
            SqlBackend::execute(db,
                                QStringLiteral("INSERT INTO Profiles VALUES "
                                               "(5, '1402/01/01', 'علي', 'رضايي', 30, 1, 3, 'AAAAAAAAAAAAAAA', 1),"
                                               "(6, '1402/01/02', 'مريم', 'کريمي', 25, 0, 4, 'BBBBBBBBBBBBBBB', 0)"));
            SqlBackend::execute(db, QStringLiteral("SELECT * INTO AAAAAAAAAAAAAAA FROM Questions Where Row>=0"));
            SqlBackend::execute(db, QStringLiteral("SELECT * INTO BBBBBBBBBBBBBBB FROM Questions Where Row>=0"));
            SqlBackend::execute(db, QStringLiteral("UPDATE AAAAAAAAAAAAAAA SET Answer = 4, "
                                                   "Score = CASE WHEN Scoring THEN 4 ELSE 2 END"));
        });
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
