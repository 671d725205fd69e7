#include "data/SqliteError.h"

#include <sqlite3.h>

#include <cerrno>

namespace Sqlite {
namespace {

bool isDiskFullErrno(int systemErrno)
{
    return systemErrno == ENOSPC || systemErrno == EDQUOT;
}

} // namespace

QString engineMessage(sqlite3* h)
{
    return QString::fromUtf8(sqlite3_errmsg(h));
}

// What the engine's last error on `h` means to the user. The operating system's error number tells a full disk
// from other input/output failures and a refused permission from a missing file.
DataError::Kind kindOfEngineError(int extendedCode, int systemErrno)
{
    using Kind = DataError::Kind;
    switch (extendedCode & 0xff) {
    case SQLITE_CONSTRAINT:
        return extendedCode == SQLITE_CONSTRAINT_UNIQUE || extendedCode == SQLITE_CONSTRAINT_PRIMARYKEY
                   ? Kind::DuplicateKey
                   : Kind::Constraint;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    // Other programs kept adding tables (registering participants) for longer than the layer waits: the same as
    // a file held locked, worth a retry a moment later, and nothing to report to support.
    case SQLITE_SCHEMA:
        return Kind::Busy;
    case SQLITE_READONLY:
        return Kind::ReadOnly;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return Kind::NotADatabase;
    case SQLITE_FULL:
        return Kind::DiskFull;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Kind::AccessDenied;
    case SQLITE_CANTOPEN:
        if (systemErrno == EACCES || systemErrno == EPERM)
            return Kind::AccessDenied;
        if (systemErrno == ENOENT)
            return Kind::MissingFile;
        return isDiskFullErrno(systemErrno) ? Kind::DiskFull : Kind::Other;
    case SQLITE_IOERR:
        if (isDiskFullErrno(systemErrno))
            return Kind::DiskFull;
        return systemErrno == EACCES || systemErrno == EPERM ? Kind::AccessDenied : Kind::Other;
    default:
        return Kind::Other;
    }
}

DataError engineError(sqlite3* h, const QString& doing, const QString& message)
{
    QString detail = doing + QStringLiteral(": ") + (message.isEmpty() ? engineMessage(h) : message);
    // The user's sentence names the file (and so the folder or disk to look at) when the detail does.
    const QString file = QString::fromUtf8(sqlite3_db_filename(h, "main"));
    if (!file.isEmpty() && !detail.contains(file))
        detail += QStringLiteral(" (database file '%1')").arg(file);
    return DataError(detail, kindOfEngineError(sqlite3_extended_errcode(h), sqlite3_system_errno(h)));
}

} // namespace Sqlite
