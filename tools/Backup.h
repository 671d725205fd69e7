#pragma once

#include <QString>

// A consistent copy of a Ravlen database file, taken while the program may be writing to it.
namespace Backup {

struct Summary
{
    qint64 participants = 0;
    qint64 items = 0;
};

// Copies `source` to the new file `destination` through the engine's online backup: the copy holds the file as
// it stood at one moment, every answer stored before then included, even while another program posts answers.
// The source is opened read-only and must be a Ravlen database. The copy is written under a scratch name
// beside `destination`, owner-only, checked with the engine's integrity check and only then renamed into
// place; an existing `destination` is never replaced. Throws DataError, leaving no file behind.
Summary copyDatabase(const QString& source, const QString& destination);

} // namespace Backup
