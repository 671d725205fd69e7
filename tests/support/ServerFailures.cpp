#include "tests/support/ServerFailures.h"

#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "tests/support/PgCluster.h"

#include <QFile>

namespace {

const QString passwordUser = QStringLiteral("ravlen_pw");
const QString guestUser = QStringLiteral("ravlen_guest");

// The address of the cluster's database `database` for `user`.
QString uriFor(const QString& user, int port, const QString& database)
{
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user).arg(port).arg(database);
}

// The port of a cluster that ran and was stopped: nothing listens there any more.
int stoppedServerPort()
{
    static const int port = [] {
        PgCluster stopped;
        return stopped.port();
    }();
    return port;
}

// A Ravlen database (the tables, no items) that the guest user may connect to but not read.
QString guardedDatabase()
{
    static const QString name = [] {
        PgCluster& cluster = PgCluster::instance();
        const QString uri = cluster.createDatabase();
        PgConnection owner(uri);
        owner.open();
        PgBackend::createSchema(owner);
        return uri.section(QLatin1Char('/'), -1);
    }();
    return name;
}

void makeRoles()
{
    static const bool made = [] {
        PgCluster& cluster = PgCluster::instance();
        cluster.query(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'right-password'").arg(passwordUser));
        cluster.query(QStringLiteral("CREATE ROLE %1 LOGIN").arg(guestUser));
        cluster.requirePassword(passwordUser);
        return true;
    }();
    Q_UNUSED(made);
}

} // namespace

QList<ServerFailure> serverFailures()
{
    makeRoles();
    PgCluster& cluster = PgCluster::instance();
    const int port = cluster.port();
    const QString user = PgCluster::user();
    using Kind = DataError::Kind;
    const QByteArray wrongPassword = QStringLiteral("127.0.0.1:%1:*:%2:wrong-password").arg(port).arg(passwordUser).toUtf8();
    return {
        {QStringLiteral("stopped server"), uriFor(user, stoppedServerPort(), QStringLiteral("postgres")), {},
         Kind::ServerUnreachable, QStringLiteral("127.0.0.1:%1").arg(stoppedServerPort())},
        {QStringLiteral("wrong port"), uriFor(user, 1, QStringLiteral("postgres")), {}, Kind::ServerUnreachable,
         QStringLiteral("127.0.0.1:1")},
        {QStringLiteral("no password"), uriFor(passwordUser, port, QStringLiteral("postgres")), {},
         Kind::ServerNoPassword, QStringLiteral("127.0.0.1:%1:postgres:%2:").arg(port).arg(passwordUser)},
        {QStringLiteral("wrong password"), uriFor(passwordUser, port, QStringLiteral("postgres")), wrongPassword,
         Kind::ServerLoginRefused, passwordUser},
        {QStringLiteral("missing database"), uriFor(user, port, QStringLiteral("no_such_clinic")), {},
         Kind::ServerDatabaseMissing, QStringLiteral("no_such_clinic")},
        {QStringLiteral("role without rights"), uriFor(guestUser, port, guardedDatabase()), {},
         Kind::ServerPermission, guestUser},
    };
}

PasswordFileInPlace::PasswordFileInPlace(const QByteArray& line)
    : m_previous(qgetenv("PGPASSFILE")), m_hadPrevious(qEnvironmentVariableIsSet("PGPASSFILE"))
{
    if (!line.isEmpty()) {
        QFile file(fileName());
        if (file.open(QIODevice::WriteOnly))
            file.write(line + '\n');
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    qputenv("PGPASSFILE", QFile::encodeName(fileName()));
}

PasswordFileInPlace::~PasswordFileInPlace()
{
    if (m_hadPrevious)
        qputenv("PGPASSFILE", m_previous);
    else
        qunsetenv("PGPASSFILE");
}

QString PasswordFileInPlace::fileName() const
{
    return m_dir.filePath(QStringLiteral("pgpass"));
}
