#include "tools/ErrorAdvice.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The first name the detail quotes ('...'): the file the error is about.
QString fileNamedIn(const QString& detail)
{
    static const QRegularExpression quoted(QStringLiteral("'([^']+)'"));
    const QRegularExpressionMatch m = quoted.match(detail);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString folderOf(const QString& file)
{
    return QDir::toNativeSeparators(QFileInfo(file).absolutePath());
}

} // namespace

QString adviceFor(const DataError& error)
{
    using Kind = DataError::Kind;
    const QString file = fileNamedIn(error.message());
    const QString named = file.isEmpty() ? QStringLiteral("the file") : QStringLiteral("'%1'").arg(file);
    const QString folder = file.isEmpty() ? QStringLiteral("its folder") : QStringLiteral("'%1'").arg(folderOf(file));
    switch (error.kind()) {
    case Kind::MissingFile:
        return QStringLiteral("check the name and the folder of %1; to start a new database there, run: "
                              "ravlen-db create %1")
            .arg(named);
    case Kind::AccessDenied:
        return QStringLiteral("this user may not read %1 or enter its folder %2; run the command as the user who "
                              "owns the file (ls -l shows the owner), or give this user read and write permission")
            .arg(named, folder);
    case Kind::ReadOnly:
        return QStringLiteral("%1 or its folder %2 cannot be written by this user; give the user write permission "
                              "on both (chmod u+w), or use a copy in a folder the user may write")
            .arg(named, folder);
    case Kind::Busy:
        return QStringLiteral("another program holds %1 locked; wait until it has finished and run the command "
                              "again")
            .arg(named);
    case Kind::NotADatabase:
        return QStringLiteral("%1 is not a database file or is damaged; check the file name, and if it is the "
                              "clinic's database, restore the latest backup copy")
            .arg(named);
    case Kind::Schema:
        return QStringLiteral("%1 is not a Ravlen database; check the file name, or run ravlen-db check %1 to see "
                              "what it lacks")
            .arg(named);
    case Kind::DiskFull:
        return QStringLiteral("the disk holding %1 is full; free some space there and run the command again")
            .arg(folder);
    case Kind::Unsupported:
        return QStringLiteral("%1 lies on a network file system; copy it to a local disk of this computer and "
                              "use it there")
            .arg(named);
    case Kind::ConnectionLost:
        return QStringLiteral("the connection to the database server was lost; check that the server runs and "
                              "can be reached, then run the command again");
    default:
        return QString();
    }
}
