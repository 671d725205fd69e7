#pragma once

#include <QString>

#include <vector>

class DbConnection;

// A participant as a test needs one: the profile and the answers given so far.
struct TestParticipant
{
    int fileNo = 1;
    QString date = QStringLiteral("1404/07/15");
    QString title; // not stored: FullName derives the title from the gender; kept for readable tables
    QString firstName = QStringLiteral("علي");
    QString lastName = QStringLiteral("رضايي");
    int age = 30;
    int gender = 1;
    int grade = 3;
    bool completed = false;
    std::vector<int> answers; // per Row in ascending order, 1 to 5, 0 = unanswered; empty = all unanswered
};

// Registers the participant the way registration does: inserts the profile and copies Questions into a new
// participant question table (15 letters A-Y, not yet in the file), then writes the given answers and their
// scores (the answer, or 6 minus it for a reverse-scored item). Returns the table's name.
QString addParticipant(DbConnection& db, const TestParticipant& participant);

// Every item answered with `answer`: a finished test.
std::vector<int> allAnswered(DbConnection& db, int answer);
