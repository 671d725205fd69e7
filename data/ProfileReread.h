#pragma once

#include <QtGlobal>

class TData;

// The profiles dataset holds the rows read when it was opened, but another program sharing the database file
// may have registered the participant or marked the test completed since. The look-up must see the profile as
// stored: this reads that one profile from the file and reopens tbProfiles only when the row in memory differs
// from it (or one of the two is missing, or tbProfiles is closed), so a look-up on a large file does not read
// every profile each time. Filter and order of tbProfiles stay as they are. Throws DataError when the file cannot
// be read.
void rereadProfilesIfStale(TData& data, qint64 fileNo);
