#pragma once

// Database files and server databases with many participants for the scale benchmark. The files are made once
// and kept in the user's cache folder ($XDG_CACHE_HOME or ~/.cache, under ravlen-bench/), named by the number of
// participants and a key of the schema the program creates, so a changed schema makes new ones.
//
// Every participant has a profile and a question table holding the bundled items; nine in ten have answered
// every item (1 to 5) and completed, the tenth stopped half way. File numbers run from 1 to the count.

#include <QString>

namespace ScaleFiles {

// Whether participant `fileNo` finished the test.
bool completed(int fileNo);

// The cached file with `participants`, made first when missing (and the time it took written to standard error).
QString pristineFile(int participants);

// A folder holding a fresh copy of that file as Ravlen.mdb, made once per run and removed at its end: benchmarks
// that register or answer change it, and the program in that folder finds it as its database.
QString workingFolder(int participants);

// Fills an empty server database, made by the program's own creation code, with `participants` in the same
// shape, in batches of tables per transaction (one transaction holding thousands of tables runs out of the
// server's lock table). Writes the time it took to standard error.
void fillServer(const QString& uri, int participants);

} // namespace ScaleFiles
