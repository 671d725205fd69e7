#pragma once

#include <QString>

// Participant question tables are named by 15 random letters "A" to "Y", the only names the program makes. A
// name read back from Profiles.QTable goes into SQL text and into the question dataset, which writes answers to
// it, so anything else (a tampered or damaged file naming Questions, Profiles or a view) is refused before it
// gets there.

// Exactly 15 letters, each "A" to "Y".
inline constexpr int participantTableNameLength = 15;
bool isParticipantTableName(const QString& name);

// Returns `name` when it is a participant table name; throws DataError (bad table name) naming it otherwise.
QString checkedParticipantTableName(const QString& name);
