#include "tests/support/PgCluster.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QVersionNumber>

#include <libpq-fe.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* folderPrefix = "ravlen-pg-";
constexpr int startAttempts = 5;
constexpr int readyTimeoutMs = 30000;
constexpr int stopTimeoutMs = 15000;

[[noreturn]] void fail(const QString& what)
{
    throw std::runtime_error(what.toStdString());
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// The account the server runs as when we are root.
struct ServerAccount
{
    uid_t uid = 0;
    gid_t gid = 0;
};

ServerAccount serverAccount()
{
    const passwd* pw = ::getpwnam("nobody");
    if (!pw)
        fail(QStringLiteral("there is no user 'nobody' to run the PostgreSQL server as"));
    return {pw->pw_uid, pw->pw_gid};
}

// Under root the program runs through setpriv as `nobody`; the parent-death signal is set after the change of
// user (a change of credentials clears it), so the server dies with the suite that started it.
QStringList commandLine(const QString& program, const QStringList& args)
{
    const QString path = QDir(PgCluster::binDir()).filePath(program);
    if (!runningAsRoot())
        return QStringList{path} + args;
    const ServerAccount account = serverAccount();
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(account.uid),
                       QStringLiteral("--regid=%1").arg(account.gid), QStringLiteral("--clear-groups"),
                       QStringLiteral("--pdeathsig=KILL"), path} +
           args;
}

void startCommand(QProcess& process, const QString& program, const QStringList& args)
{
    const QStringList line = commandLine(program, args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("PGDATA"));
    process.setProcessEnvironment(env);
    process.start(line.first(), line.mid(1));
}

void runCommand(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    startCommand(process, program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(QStringLiteral("%1 failed: %2%3")
                 .arg(program, process.errorString(), QString::fromLocal8Bit(process.readAll())));
}

void giveToServerAccount(const QString& path, mode_t mode)
{
    const QByteArray p = QFile::encodeName(path);
    if (runningAsRoot()) {
        const ServerAccount account = serverAccount();
        if (::chown(p.constData(), account.uid, account.gid) != 0)
            fail(QStringLiteral("cannot give %1 to the server's user").arg(path));
    }
    if (::chmod(p.constData(), mode) != 0)
        fail(QStringLiteral("cannot set the mode of %1").arg(path));
}

// A port the system hands out as free on the loopback address; the server binds it a moment later.
int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        fail(QStringLiteral("cannot open a socket to find a free port"));
    const auto closeSocket = qScopeGuard([fd] { ::close(fd); });
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        fail(QStringLiteral("no free loopback port"));
    return ntohs(address.sin_port);
}

bool processAlive(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

qint64 firstNumberIn(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

// Folders of clusters whose suite died without stopping them: their server (if it outlived the suite) is shut
// down at once and the folder removed. Folders of suites still running are left alone.
void sweepAbandonedClusters()
{
    const QDir temp(QDir::tempPath());
    const QStringList folders =
        temp.entryList({QLatin1String(folderPrefix) + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : folders) {
        const QString folder = temp.filePath(name);
        const qint64 owner = firstNumberIn(QDir(folder).filePath(QStringLiteral("owner.pid")));
        // A folder without its owner yet may be a cluster another suite is making at this moment.
        const bool justMade = owner == 0 && QFileInfo(folder).lastModified().secsTo(QDateTime::currentDateTime()) < 600;
        if (processAlive(owner) || justMade)
            continue;
        const qint64 server = firstNumberIn(QDir(folder).filePath(QStringLiteral("data/postmaster.pid")));
        if (processAlive(server)) {
            ::kill(pid_t(server), SIGQUIT);
            const QDeadlineTimer deadline(stopTimeoutMs);
            while (processAlive(server) && !deadline.hasExpired())
                QThread::msleep(50);
        }
        // The server's helper processes notice their parent's death a moment later and may still write a file
        // while the folder goes.
        const QDeadlineTimer deadline(stopTimeoutMs);
        while (!QDir(folder).removeRecursively() && !deadline.hasExpired())
            QThread::msleep(100);
    }
}

QString quoted(const QString& identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

struct PgCluster::Impl
{
    QString folder;
    QProcess server;
    QString logFile() const { return QDir(folder).filePath(QStringLiteral("server.log")); }
    QString log() const
    {
        QFile file(logFile());
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll().right(4000)) : QString();
    }
};

QString PgCluster::binDir()
{
    const QString configured = qEnvironmentVariable("RAVLEN_PG_BINDIR");
    if (!configured.isEmpty())
        return configured;
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QString best;
    QVersionNumber bestVersion;
    for (const QString& version : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QVersionNumber v = QVersionNumber::fromString(version);
        if (QFile::exists(root.filePath(version + QStringLiteral("/bin/initdb"))) && v > bestVersion) {
            best = root.filePath(version + QStringLiteral("/bin"));
            bestVersion = v;
        }
    }
    if (best.isEmpty())
        fail(QStringLiteral("no PostgreSQL server is installed (apt-get install postgresql)"));
    return best;
}

QString PgCluster::user()
{
    return QStringLiteral("ravlen");
}

PgCluster::PgCluster() : m_impl(std::make_unique<Impl>())
{
    sweepAbandonedClusters();
    QTemporaryDir temp(QDir(QDir::tempPath()).filePath(QLatin1String(folderPrefix) + QStringLiteral("XXXXXX")));
    if (!temp.isValid())
        fail(QStringLiteral("cannot make a folder for the PostgreSQL cluster"));
    temp.setAutoRemove(false);
    m_impl->folder = temp.path();
    try {
        QFile owner(QDir(m_impl->folder).filePath(QStringLiteral("owner.pid")));
        if (!owner.open(QIODevice::WriteOnly) || owner.write(QByteArray::number(QCoreApplication::applicationPid())) < 0)
            fail(QStringLiteral("cannot write %1").arg(owner.fileName()));
        owner.close();
        // The server's user must pass through the folder and write its log; only its data folder is its own.
        if (::chmod(QFile::encodeName(m_impl->folder).constData(), 0711) != 0)
            fail(QStringLiteral("cannot open up %1").arg(m_impl->folder));
        QFile(m_impl->logFile()).open(QIODevice::WriteOnly);
        giveToServerAccount(m_impl->logFile(), 0600);
        QDir(m_impl->folder).mkdir(QStringLiteral("data"));
        giveToServerAccount(dataDir(), 0700);

        runCommand(QStringLiteral("initdb"),
                   {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), user(), QStringLiteral("-E"),
                    QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--auth=trust"),
                    QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")});
        // Loopback TCP only: no socket in a shared folder, no other address, no other way in.
        QFile hba(QDir(dataDir()).filePath(QStringLiteral("pg_hba.conf")));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            hba.write("host all all 127.0.0.1/32 trust\n") < 0)
            fail(QStringLiteral("cannot write %1").arg(hba.fileName()));
        hba.close();

        for (int attempt = 1;; ++attempt) {
            m_port = freeLoopbackPort();
            m_impl->server.setStandardOutputFile(m_impl->logFile(), QIODevice::Append);
            m_impl->server.setStandardErrorFile(m_impl->logFile(), QIODevice::Append);
            // Durability settings are off: the cluster is thrown away, and the suites measure the program, not
            // the disk.
            startCommand(m_impl->server, QStringLiteral("postgres"),
                         {QStringLiteral("-D"), dataDir(), QStringLiteral("-p"), QString::number(m_port),
                          QStringLiteral("-c"), QStringLiteral("listen_addresses=127.0.0.1"), QStringLiteral("-c"),
                          QStringLiteral("unix_socket_directories="), QStringLiteral("-c"), QStringLiteral("fsync=off"),
                          QStringLiteral("-c"), QStringLiteral("synchronous_commit=off"), QStringLiteral("-c"),
                          QStringLiteral("full_page_writes=off"), QStringLiteral("-c"),
                          QStringLiteral("shared_buffers=16MB"), QStringLiteral("-c"),
                          QStringLiteral("max_connections=60")});
            const QByteArray conninfo = uri(QStringLiteral("postgres")).toUtf8();
            const QDeadlineTimer deadline(readyTimeoutMs);
            bool ready = false;
            while (!deadline.hasExpired() && m_impl->server.state() != QProcess::NotRunning) {
                if (PQping(conninfo.constData()) == PQPING_OK) {
                    ready = true;
                    break;
                }
                m_impl->server.waitForFinished(100);
            }
            if (ready)
                break;
            // Another program may have taken the port between the probe and the start.
            m_impl->server.kill();
            m_impl->server.waitForFinished(stopTimeoutMs);
            if (attempt == startAttempts)
                fail(QStringLiteral("the PostgreSQL server did not start:\n%1").arg(m_impl->log()));
        }
    } catch (...) {
        if (m_impl->server.state() != QProcess::NotRunning) {
            m_impl->server.kill();
            m_impl->server.waitForFinished(stopTimeoutMs);
        }
        QDir(m_impl->folder).removeRecursively();
        throw;
    }
}

PgCluster::~PgCluster()
{
    if (m_impl->server.state() != QProcess::NotRunning) {
        // Fast shutdown: sessions are ended and nothing is kept for a next start.
        ::kill(pid_t(m_impl->server.processId()), SIGINT);
        if (!m_impl->server.waitForFinished(stopTimeoutMs)) {
            m_impl->server.kill();
            m_impl->server.waitForFinished(stopTimeoutMs);
        }
    }
    QDir(m_impl->folder).removeRecursively();
}

PgCluster& PgCluster::instance()
{
    static PgCluster cluster;
    return cluster;
}

QString PgCluster::dataDir() const
{
    return QDir(m_impl->folder).filePath(QStringLiteral("data"));
}

QString PgCluster::uri(const QString& name) const
{
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user()).arg(m_port).arg(name);
}

QString PgCluster::query(const QString& sql, const QString& name) const
{
    const QByteArray conninfo = uri(name).toUtf8();
    PGconn* conn = PQconnectdb(conninfo.constData());
    const auto closeConnection = qScopeGuard([conn] { PQfinish(conn); });
    if (PQstatus(conn) != CONNECTION_OK)
        fail(QStringLiteral("cannot connect to %1: %2").arg(uri(name), QString::fromUtf8(PQerrorMessage(conn))));
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    const auto clearResult = qScopeGuard([result] { PQclear(result); });
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(QStringLiteral("%1 failed: %2").arg(sql, QString::fromUtf8(PQresultErrorMessage(result))));
    if (status != PGRES_TUPLES_OK || PQntuples(result) == 0 || PQnfields(result) == 0)
        return QString();
    return QString::fromUtf8(PQgetvalue(result, 0, 0));
}

QString PgCluster::createDatabase(const QString& name)
{
    const QString database =
        name.isEmpty() ? QStringLiteral("ravlen_%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_nextDatabase)
                       : name;
    query(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C.UTF-8' "
                         "LC_CTYPE 'C.UTF-8'")
              .arg(quoted(database)));
    return uri(database);
}

void PgCluster::requirePassword(const QString& role)
{
    QFile hba(QDir(dataDir()).filePath(QStringLiteral("pg_hba.conf")));
    if (!hba.open(QIODevice::ReadWrite))
        fail(QStringLiteral("cannot open %1").arg(hba.fileName()));
    // The first line that fits a connection decides, so the role's own line goes before the trusting one.
    const QByteArray rest = hba.readAll();
    hba.seek(0);
    if (hba.write("host all " + role.toUtf8() + " 127.0.0.1/32 scram-sha-256\n" + rest) < 0)
        fail(QStringLiteral("cannot write %1").arg(hba.fileName()));
    hba.close();
    query(QStringLiteral("SELECT pg_reload_conf()"));
    // The server reads the file again a moment after the signal.
    const QByteArray conninfo =
        QStringLiteral("postgresql://%1@127.0.0.1:%2/postgres?passfile=/nonexistent").arg(role).arg(m_port).toUtf8();
    const QDeadlineTimer deadline(readyTimeoutMs);
    while (!deadline.hasExpired()) {
        PGconn* conn = PQconnectdb(conninfo.constData());
        const bool asked = PQconnectionNeedsPassword(conn);
        PQfinish(conn);
        if (asked)
            return;
        QThread::msleep(50);
    }
    fail(QStringLiteral("the server did not start asking %1 for a password").arg(role));
}

void PgCluster::dropDatabase(const QString& name)
{
    query(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(quoted(name)));
}
