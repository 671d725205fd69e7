#pragma once

#include "data/DbConnection.h"

#include <QString>
#include <QVariant>

#include <vector>

// One item of a questionnaire made for a test: its scale, its sub-scale (an empty scale is stored as NULL) and the
// answer the participant gives. Every item scores its answer unchanged, so the answer is the item score.
struct FixtureItem
{
    QString group1;
    QString group2;
    int answer = 0;
};

// Replaces the items of the database's Questions with `items`, numbered from 1.
inline void replaceQuestions(DbConnection& db, const std::vector<FixtureItem>& items)
{
    db.execute(QStringLiteral("DELETE FROM Questions"));
    int row = 0;
    for (const FixtureItem& item : items) {
        const QString group1 =
            item.group1.isEmpty() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(item.group1);
        db.execute(QStringLiteral("INSERT INTO Questions (Row, Group1, Group2, Scoring, Question, Answer, Score) "
                                  "VALUES (%1, %2, '%3', 1, 'item %1', 0, 0)")
                       .arg(++row)
                       .arg(group1, item.group2));
    }
}

inline std::vector<int> answersOf(const std::vector<FixtureItem>& items)
{
    std::vector<int> answers;
    for (const FixtureItem& item : items)
        answers.push_back(item.answer);
    return answers;
}

// One row of a score query as the test expects it.
struct ScoreRow
{
    QString group;
    double sumScore = 0;
    int topScore = 0;
    double per = 0;
};
Q_DECLARE_METATYPE(std::vector<FixtureItem>)
Q_DECLARE_METATYPE(std::vector<ScoreRow>)
