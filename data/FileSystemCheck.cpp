#include "data/FileSystemCheck.h"

#include "data/DataError.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>

namespace FileSystemCheck {
namespace {

// The kernel's magic numbers (linux/magic.h); CIFS and SMB2 do not fit a signed 32-bit number, so they are
// compared as the unsigned 32 bits statfs() fills in.
constexpr quint32 nfsMagic = 0x6969;
constexpr quint32 smbMagic = 0x517B;
constexpr quint32 cifsMagic = 0xFF534D42;
constexpr quint32 smb2Magic = 0xFE534D42;

std::optional<qint64> statfsType(const QString& path)
{
    struct statfs info
    {
    };
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return qint64(info.f_type);
}

} // namespace

QString networkFileSystemName(qint64 fileSystemType)
{
    switch (quint32(fileSystemType)) {
    case nfsMagic:
        return QStringLiteral("NFS");
    case smbMagic:
        return QStringLiteral("SMB");
    case cifsMagic:
        return QStringLiteral("CIFS");
    case smb2Magic:
        return QStringLiteral("SMB2");
    default:
        return QString();
    }
}

std::optional<qint64> fileSystemTypeOf(const QString& path)
{
    if (const std::optional<qint64> type = statfsType(path))
        return type;
    return statfsType(QFileInfo(path).absolutePath());
}

void refuseNetworkFileSystem(const QString& fileName, const TypeProbe& probe)
{
    const std::optional<qint64> type = probe(fileName);
    const QString name = type ? networkFileSystemName(*type) : QString();
    if (name.isEmpty())
        return;
    throw DataError(QStringLiteral("Cannot use database file '%1': it lies on a network file system (%2), where "
                                   "the engine's write-ahead log and locks are not safe; keep it on a disk of this "
                                   "computer")
                        .arg(fileName, name),
                    DataError::Kind::Unsupported);
}

bool folderRefusesThisUser(const QString& fileName)
{
    struct stat st;
    return ::stat(QFile::encodeName(fileName).constData(), &st) != 0 && (errno == EACCES || errno == EPERM);
}

} // namespace FileSystemCheck
