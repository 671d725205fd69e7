#pragma once

#include "data/DataModule.h"
#include "data/DbBackend.h"
#include "data/DbConnection.h"
#include "tests/support/Participants.h"
#include "tests/support/TempRavlenDb.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

// One item of a questionnaire made for a test: its scale, its sub-scale (an empty scale is stored as NULL) and the
// answer the participant gives. Every item scores its answer unchanged, so the answer is the item score.
struct FixtureItem
{
    QString group1;
    QString group2;
    int answer = 0;
};

// Replaces the items of the database's Questions with `items`, numbered from 1. Written through the
// connection's backend, so the same items land in a file or on the server.
inline void replaceQuestions(DbConnection& db, const std::vector<FixtureItem>& items)
{
    db.execute(QStringLiteral("DELETE FROM Questions"));
    const QStringList columns{QStringLiteral("Row"),     QStringLiteral("Group1"),   QStringLiteral("Group2"),
                              QStringLiteral("Scoring"), QStringLiteral("Question"), QStringLiteral("Answer"),
                              QStringLiteral("Score")};
    int row = 0;
    for (const FixtureItem& item : items) {
        ++row;
        const QVariant group1 = item.group1.isEmpty() ? QVariant() : QVariant(item.group1);
        db.backend().insertRow(QStringLiteral("Questions"), columns,
                               {row, group1, item.group2, true, QStringLiteral("item %1").arg(row), 0, 0});
    }
}

inline std::vector<int> answersOf(const std::vector<FixtureItem>& items)
{
    std::vector<int> answers;
    for (const FixtureItem& item : items)
        answers.push_back(item.answer);
    return answers;
}

// A participant registered on 1403/02/<file number>, aged 30 + the file number.
inline TestParticipant participantWith(int fileNo, const QString& firstName, const QString& lastName, int gender,
                                       int grade, bool completed, std::vector<int> answers)
{
    TestParticipant participant;
    participant.fileNo = fileNo;
    participant.date = QStringLiteral("1403/02/%1").arg(fileNo, 2, 10, QLatin1Char('0'));
    participant.firstName = firstName;
    participant.lastName = lastName;
    participant.age = 30 + fileNo;
    participant.gender = gender;
    participant.grade = grade;
    participant.completed = completed;
    participant.answers = std::move(answers);
    return participant;
}

// A database (a file, or on a pg run a server database) whose Questions holds `items`, with the data module
// connected to it as the global Data.
struct ResultsDatabase
{
    explicit ResultsDatabase(const std::vector<FixtureItem>& items) : data(std::make_unique<TData>())
    {
        Data = data.get();
        data->ConnectToDatabase(file.path());
        replaceQuestions(data->Database, items);
    }
    ~ResultsDatabase()
    {
        if (Data == data.get())
            Data = nullptr;
    }

    QString add(const TestParticipant& participant) { return addParticipant(data->Database, participant); }

    TempRavlenDb file;
    std::unique_ptr<TData> data;
};

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
