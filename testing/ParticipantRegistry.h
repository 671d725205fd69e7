#pragma once

#include "calendar/ShDateUtils.h"

#include <QString>

#include <optional>

class TData;

// What the operator typed about a participant in the test window.
struct ParticipantDetails
{
    qint64 fileNo = 0;
    TDateTime date = 0;
    QString fName;
    QString lName;
    qint64 age = 0;
    int gender = -1; // list index = gender code; -1 when nothing is chosen
    int grade = -1;  // list index = grade code; -1 when nothing is chosen

    // Everything a new participant needs: a file number and an age above 0, names that are more than blanks,
    // a gender and a grade.
    bool isComplete() const;
};

// A participant's profile as stored in Profiles.
struct StoredProfile
{
    int fileNo = 0;
    QString date; // Solar Hijri date text, as stored
    QString fName;
    QString lName;
    int age = 0;
    int gender = 0;
    int grade = 0;
    QString qTable;
    bool completed = false;
};

// The test window's work on the participants: finding a profile by file number, registering a new participant
// with a question table of their own, and marking a finished test. It works on the data module's shared profiles
// dataset and leaves it on the participant concerned, unfiltered.
class ParticipantRegistry
{
public:
    explicit ParticipantRegistry(TData& data);

    // Makes the profile with `fileNo` current, as the file holds it now (another program may have registered or
    // changed it since the profiles were read: they are then read again), without any filter, ordered by file
    // number. Nothing when there is none; the position is then unspecified.
    std::optional<StoredProfile> lookUp(qint64 fileNo);

    enum class Outcome
    {
        Registered,
        NumberTaken, // another program registered this file number meanwhile; nothing was written
    };

    // Chooses a free table name, inserts the profile and copies Questions into the new table, all or nothing, then
    // opens the question-table dataset on it. `tableName` receives the name when registered.
    Outcome registerParticipant(const ParticipantDetails& details, QString& tableName);

    // Sets Completed on the profile with `fileNo`, wherever the profiles dataset stood and whatever filter it had,
    // and makes the database file whole (DbConnection::checkpoint).
    void markCompleted(int fileNo);

private:
    void showAllProfilesByFileNo();
    QString freeTableName() const;

    TData& m_data;
};
