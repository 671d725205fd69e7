#include "tools/ErrorAdvice.h"

#include "data/PgConnection.h"

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

// What to do about a server failure, by its kind: the same causes the program's sentences name.
QString serverAdvice(DataError::Kind kind, const QString& uri)
{
    using Kind = DataError::Kind;
    const PgAddress server = PgConnection::addressOf(uri);
    const QString passwordFile = PgConnection::passwordFile();
    switch (kind) {
    case Kind::ServerUnreachable:
        return QStringLiteral("no database server answers at %1; check that the server runs (pg_lsclusters on the "
                              "server shows it), that the address names the server's host and port, and that this "
                              "computer reaches it over the network")
            .arg(server.hostAndPort());
    case Kind::ServerNoPassword:
        return QStringLiteral("the server asks user %1 for a password and the password file '%2' has none for it; "
                              "add the line %3 with the user's password, and make the file readable by its owner "
                              "only: chmod 600 %2")
            .arg(server.user, passwordFile, server.passwordLine(QStringLiteral("PASSWORD")));
    case Kind::ServerLoginRefused:
        return QStringLiteral("the server refused user %1: correct the password of the line %2 in the password file "
                              "'%3', or have the server's administrator create the user")
            .arg(server.user, server.passwordLine(QStringLiteral("PASSWORD")), passwordFile);
    case Kind::ServerDatabaseMissing:
        return QStringLiteral("the server at %1 has no database '%2'; check the name in the address, or have the "
                              "server's administrator create it (createdb -O %3 %2), then run: ravlen-db "
                              "create-server %4")
            .arg(server.hostAndPort(), server.database, server.user, uri);
    case Kind::ServerNotEmpty:
        return QStringLiteral("create-server and migrate each need an empty database: have the server's "
                              "administrator create a new one (createdb -O %1 NAME) and give its address instead. A "
                              "database made by create-server is ready for Ravlen as it is (ravlen-db check %2 "
                              "shows it); a file's participants cannot be added to it, so a clinic with a file "
                              "migrates into a new empty database instead of running create-server")
            .arg(server.user, uri);
    case Kind::ServerPermission:
        return QStringLiteral("user %1 may not use database '%2' or its tables on the server at %3; have the server's "
                              "administrator grant it: GRANT CONNECT, CREATE ON DATABASE %2 TO %1; GRANT ALL ON ALL "
                              "TABLES IN SCHEMA public TO %1")
            .arg(server.user, server.database, server.hostAndPort());
    default:
        break;
    }
    return QString();
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
    case Kind::ServerUnreachable:
    case Kind::ServerNoPassword:
    case Kind::ServerLoginRefused:
    case Kind::ServerDatabaseMissing:
    case Kind::ServerPermission:
    case Kind::ServerNotEmpty:
        return serverAdvice(error.kind(), error.subject());
    case Kind::PasswordFileOpen:
        return QStringLiteral("other users may read or change the password file '%1'; make it readable by its owner "
                              "only: chmod 600 %1")
            .arg(error.subject());
    case Kind::PasswordInAddress:
        return QStringLiteral("take the password out of the address and write it into the password file '%1' as the "
                              "line HOST:PORT:DATABASE:USER:PASSWORD; make the file readable by its owner only: chmod "
                              "600 %1")
            .arg(error.subject());
    default:
        return QString();
    }
}
