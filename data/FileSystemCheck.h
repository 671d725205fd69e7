#pragma once

#include <QString>

#include <functional>
#include <optional>

// Where a database file may lie. The engine's write-ahead log shares its index through memory that only programs
// on one computer see, and network file systems do not keep the engine's locks reliably: two workstations on one
// file there corrupt it. Such a file is refused before the engine touches it.
namespace FileSystemCheck {

// The name of the network file system a statfs() type number stands for ("NFS", "SMB", "CIFS", "SMB2"); empty for
// any other file system.
QString networkFileSystemName(qint64 fileSystemType);

// The statfs() type number of the file system holding `path` (the file, or its folder when the file does not
// exist yet); nothing when neither can be asked.
std::optional<qint64> fileSystemTypeOf(const QString& path);

// How the file system of a path is found out: fileSystemTypeOf, or in tests an answer of their own (a network
// file system cannot be mounted there).
using TypeProbe = std::function<std::optional<qint64>(const QString& path)>;

// Throws DataError (kind Unsupported) when `fileName` lies on a network file system. A file system that cannot be
// asked is let through: the open that follows reports what is wrong with the path.
void refuseNetworkFileSystem(const QString& fileName, const TypeProbe& probe = fileSystemTypeOf);

// Whether a folder on the way to `fileName` refuses this user entry: the file then cannot even be looked at, which
// its absence must not be confused with.
bool folderRefusesThisUser(const QString& fileName);


} // namespace FileSystemCheck
