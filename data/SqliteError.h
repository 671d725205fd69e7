#pragma once

#include "data/DataError.h"

#include <QString>

struct sqlite3;

// The engine's failures as the layer's errors: the kind a window acts on, with the engine's own text.
namespace Sqlite {

QString engineMessage(sqlite3* h);

// What the engine's last error on `h` means to the user. The operating system's error number tells a full disk
// from other input/output failures and a refused permission from a missing file.
DataError::Kind kindOfEngineError(int extendedCode, int systemErrno);

// The error the engine just reported on `h`, headed by what was being done. `message` replaces the engine's
// text when the caller has a better one (sqlite3_exec's own).
DataError engineError(sqlite3* h, const QString& doing, const QString& message = QString());

} // namespace Sqlite
