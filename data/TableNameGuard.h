#pragma once

#include <QString>

// Participant question tables are named by capital letters only. A name read back from Profiles.QTable is put
// into SQL text and into table datasets, so anything else (a tampered or damaged file) is refused before it
// gets there.

// True for 1 to 15 letters "A" to "Z".
bool isParticipantTableName(const QString& name);

// Returns `name` when it is a participant table name; throws DataError naming it otherwise.
QString checkedParticipantTableName(const QString& name);
