#include "data/PgConnection.h"

#include "data/DataError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>

#include <libpq-fe.h>

#include <poll.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

namespace {

using Kind = DataError::Kind;

// What a server error means to the user, by its SQLSTATE class and code.
Kind kindOfState(const QByteArray& state)
{
    if (state == "23505")
        return Kind::DuplicateKey;
    if (state.startsWith("23") || state == "22001" || state == "22003" || state == "22P02")
        return Kind::Constraint;
    if (state == "40001" || state == "40P01" || state == "55P03" || state == "57014")
        return Kind::Busy;
    if (state.startsWith("08") || state == "57P01" || state == "57P02" || state == "57P03")
        return Kind::ConnectionLost;
    if (state == "42501")
        return Kind::ServerPermission;
    if (state.startsWith("28"))
        return Kind::ServerLoginRefused;
    if (state == "42P01" || state == "42703")
        return Kind::Schema;
    if (state == "53100")
        return Kind::DiskFull;
    if (state == "25006")
        return Kind::ReadOnly;
    if (state == "3D000")
        return Kind::ServerDatabaseMissing;
    return Kind::Other;
}

// The SQLSTATE of the server's refusal in a connection failure's verbose text ("FATAL:  3D000: database ..."),
// empty when no server answered. The code says why whatever language the server writes its messages in.
QByteArray refusalState(const QString& message)
{
    static const QRegularExpression refusal(QStringLiteral("(?:FATAL|ERROR|PANIC):  ([0-9A-Z]{5}): "));
    const QRegularExpressionMatch m = refusal.match(message);
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

Kind kindOfConnectFailure(PGconn* conn, const QString& message)
{
    if (PQconnectionNeedsPassword(conn))
        return Kind::ServerNoPassword;
    const QByteArray state = refusalState(message);
    if (state.startsWith("28"))
        return Kind::ServerLoginRefused; // a wrong password, a user the server does not know or does not admit
    if (state == "3D000")
        return Kind::ServerDatabaseMissing;
    if (state == "42501")
        return Kind::ServerPermission;
    return Kind::ServerUnreachable; // nothing answered, or a server starting, stopping or full
}

// The connection's verbose failure text without the server's source locations, which help nobody here.
QString connectFailureText(PGconn* conn)
{
    QStringList lines = QString::fromUtf8(PQerrorMessage(conn)).trimmed().split(QLatin1Char('\n'));
    lines.removeIf([](const QString& line) { return line.startsWith(QLatin1String("LOCATION:")); });
    return lines.join(QLatin1Char('\n'));
}

// Connects as PQconnectdbParams does, but with the server's refusals written with their SQLSTATE. Returns the
// connection, good or failed; `timedOut` tells that no answer came within the URI's connect_timeout.
PGconn* connectVerbose(const char* const* keywords, const char* const* values, bool& timedOut)
{
    timedOut = false;
    PGconn* conn = PQconnectStartParams(keywords, values, 1);
    if (!conn)
        throw std::bad_alloc();
    PQsetErrorVerbosity(conn, PQERRORS_VERBOSE);
    int timeoutSeconds = 10;
    if (PQconninfoOption* options = PQconninfo(conn)) {
        for (PQconninfoOption* o = options; o->keyword; ++o)
            if (qstrcmp(o->keyword, "connect_timeout") == 0 && o->val && *o->val)
                timeoutSeconds = std::max(2, QByteArray(o->val).toInt());
        PQconninfoFree(options);
    }
    const QDeadlineTimer deadline(qint64(timeoutSeconds) * 1000);
    // Before the first poll libpq waits to write, as the connection is being made.
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    while (PQstatus(conn) != CONNECTION_BAD && status != PGRES_POLLING_OK && status != PGRES_POLLING_FAILED) {
        pollfd socket{PQsocket(conn), short(status == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        const int ready = ::poll(&socket, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            timedOut = true;
            return conn;
        }
        status = PQconnectPoll(conn);
    }
    PQsetErrorVerbosity(conn, PQERRORS_DEFAULT);
    return conn;
}

QString serverText(const char* text)
{
    return QString::fromUtf8(text).trimmed();
}

} // namespace

int PgResult::rows() const
{
    return PQntuples(get());
}

int PgResult::columns() const
{
    return PQnfields(get());
}

bool PgResult::isNull(int row, int col) const
{
    return PQgetisnull(get(), row, col) != 0;
}

const char* PgResult::raw(int row, int col) const
{
    return PQgetvalue(get(), row, col);
}

int PgResult::length(int row, int col) const
{
    return PQgetlength(get(), row, col);
}

QString PgResult::text(int row, int col) const
{
    return QString::fromUtf8(raw(row, col), length(row, col));
}

qint64 PgResult::integer(int row, int col) const
{
    return QByteArray::fromRawData(raw(row, col), length(row, col)).toLongLong();
}

int PgResult::changed() const
{
    return QByteArray(PQcmdTuples(get())).toInt();
}

void PgResult::clear(pg_result* result)
{
    PQclear(result);
}

PgConnection::PgConnection(QString uri) : m_uri(std::move(uri)) {}

PgConnection::~PgConnection()
{
    close();
}

QString PgConnection::passwordFile()
{
    const QString configured = qEnvironmentVariable("PGPASSFILE");
    return configured.isEmpty() ? QDir::home().filePath(QStringLiteral(".pgpass")) : configured;
}

void PgConnection::checkPasswordFile()
{
    const QString file = passwordFile();
    struct stat info{};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return; // no file: the server may not ask for a password
    if (info.st_mode & (S_IRWXG | S_IRWXO))
        throw DataError(QStringLiteral("Cannot use the password file '%1': other users may read or change it; make "
                                       "it readable by its owner only (chmod 600 %1)")
                            .arg(file),
                        Kind::PasswordFileOpen, file);
}

void PgConnection::checkUri(const QString& uri)
{
    const QByteArray text = uri.toUtf8();
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.constData(), &error);
    const auto release = qScopeGuard([&] {
        PQconninfoFree(options);
        PQfreemem(error);
    });
    if (!options)
        throw DataError(QStringLiteral("Cannot read the server address '%1': %2").arg(uri, serverText(error)),
                        Kind::NotConnected);
    for (PQconninfoOption* o = options; o->keyword; ++o)
        if (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val)
            throw DataError(QStringLiteral("The server address holds a password; write it into the password file "
                                           "'%1' instead")
                                .arg(passwordFile()),
                            Kind::PasswordInAddress, passwordFile());
}

PgAddress PgConnection::addressOf(const QString& uri)
{
    PgAddress address;
    PQconninfoOption* defaults = PQconndefaults();
    PQconninfoOption* given = PQconninfoParse(uri.toUtf8().constData(), nullptr);
    const auto release = qScopeGuard([&] {
        PQconninfoFree(defaults);
        PQconninfoFree(given);
    });
    if (!given)
        return PgAddress{uri, QString(), QString(), QString()};
    auto value = [&](const char* keyword) {
        for (PQconninfoOption* options : {given, defaults})
            for (PQconninfoOption* o = options; o && o->keyword; ++o)
                if (qstrcmp(o->keyword, keyword) == 0 && o->val && *o->val)
                    return QString::fromUtf8(o->val);
        return QString();
    };
    address.host = value("host");
    if (address.host.isEmpty())
        address.host = QStringLiteral("localhost");
    address.port = value("port");
    address.user = value("user");
    address.database = value("dbname");
    if (address.database.isEmpty())
        address.database = address.user;
    return address;
}

QString PgAddress::passwordLine(const QString& password) const
{
    return QStringList{host, port, database, user, password}.join(QLatin1Char(':'));
}

void PgConnection::open()
{
    if (m_conn)
        return;
    checkUri(m_uri);
    checkPasswordFile();
    const QByteArray text = m_uri.toUtf8();
    // Values of the URI win over these defaults: a clinic may set its own time-out.
    const char* keywords[] = {"connect_timeout", "client_encoding", "application_name", "dbname", nullptr};
    const char* values[] = {"10", "UTF8", "ravlen", text.constData(), nullptr};
    bool timedOut = false;
    PGconn* conn = connectVerbose(keywords, values, timedOut);
    if (timedOut || PQstatus(conn) != CONNECTION_OK) {
        const QString message = timedOut ? QStringLiteral("no answer within the connection's time-out")
                                         : connectFailureText(conn);
        const Kind kind = timedOut ? Kind::ServerUnreachable : kindOfConnectFailure(conn, message);
        PQfinish(conn);
        throw DataError(QStringLiteral("Cannot connect to the database server '%1': %2").arg(m_uri, message), kind,
                        m_uri);
    }
    m_conn = conn;
    m_knownTables.clear();
}

void PgConnection::close()
{
    if (!m_conn)
        return;
    PQfinish(m_conn);
    m_conn = nullptr;
    m_depth = 0;
    m_prepared.clear();
    m_knownTables.clear();
}

QString PgConnection::describe() const
{
    if (!m_conn)
        return m_uri;
    return QStringLiteral("%1 on %2:%3")
        .arg(QString::fromUtf8(PQdb(m_conn)), QString::fromUtf8(PQhost(m_conn)), QString::fromUtf8(PQport(m_conn)));
}

void PgConnection::reconnectIfDropped()
{
    if (!m_conn)
        throw DataError(QStringLiteral("The database connection is not open"), Kind::NotConnected);
    if (PQstatus(m_conn) == CONNECTION_OK)
        return;
    // A unit of work that lost its connection is gone with it on the server; its caller has been told.
    m_depth = 0;
    m_prepared.clear();
    checkPasswordFile();
    PQreset(m_conn);
    m_knownTables.clear();
    if (PQstatus(m_conn) != CONNECTION_OK)
        throw DataError(QStringLiteral("Cannot connect again to the database server '%1': %2")
                            .arg(m_uri, serverText(PQerrorMessage(m_conn))),
                        Kind::ConnectionLost, m_uri);
}

pg_conn* PgConnection::handle()
{
    reconnectIfDropped();
    return m_conn;
}

void PgConnection::throwResultError(pg_result* result, const QString& doing)
{
    const QString message = serverText(result ? PQresultErrorMessage(result) : PQerrorMessage(m_conn));
    if (PQstatus(m_conn) != CONNECTION_OK)
        throw DataError(doing + QStringLiteral(": the connection to the database server was lost: ") + message,
                        Kind::ConnectionLost, m_uri);
    const QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QByteArray();
    if (state == "42601" && message.contains(QLatin1String("multiple commands")))
        throw DataError(doing + QStringLiteral(": the text holds more than one statement; nothing was run"));
    throw DataError(doing + QStringLiteral(": ") + message, kindOfState(state), m_uri);
}

QByteArray PgConnection::parameterText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QByteArray();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("t") : QByteArrayLiteral("f");
    case QMetaType::Double:
    case QMetaType::Float:
        // Shortest text that reads back as the same double, as the server writes them.
        return QByteArray::number(value.toDouble(), 'g', 17);
    default: {
        // An empty text stays an empty text; only a null one is NULL, as the file's engine binds them.
        const QString text = value.toString();
        if (text.isNull())
            return QByteArray();
        const QByteArray bytes = text.toUtf8();
        return bytes.isNull() ? QByteArray("", 0) : bytes;
    }
    }
}

PgResult PgConnection::exec(const QString& sql, const QVariantList& params, const QString& doing, bool kept)
{
    PGconn* conn = handle();
    std::vector<QByteArray> texts;
    std::vector<const char*> values;
    texts.reserve(size_t(params.size()));
    for (const QVariant& p : params) {
        texts.push_back(parameterText(p));
        values.push_back(texts.back().isNull() ? nullptr : texts.back().constData());
    }
    PGresult* raw = nullptr;
    if (kept) {
        auto it = m_prepared.find(sql);
        if (it == m_prepared.end()) {
            const QByteArray name = "ravlen_" + QByteArray::number(qulonglong(m_prepared.size()));
            const PgResult prepared(PQprepare(conn, name.constData(), sql.toUtf8().constData(), int(params.size()),
                                              nullptr));
            if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
                throwResultError(prepared.get(), doing);
            it = m_prepared.emplace(sql, name).first;
        }
        raw = PQexecPrepared(conn, it->second.constData(), int(values.size()), values.data(), nullptr, nullptr, 0);
    } else {
        raw = PQexecParams(conn, sql.toUtf8().constData(), int(values.size()), nullptr, values.data(), nullptr,
                           nullptr, 0);
    }
    PgResult result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throwResultError(raw, doing);
    return result;
}

int PgConnection::execScript(const QString& sql, const QString& doing)
{
    PGconn* conn = handle();
    if (!PQsendQuery(conn, sql.toUtf8().constData()))
        throwResultError(nullptr, doing);
    int changed = 0;
    PgResult failed;
    while (PGresult* raw = PQgetResult(conn)) {
        PgResult result(raw);
        const ExecStatusType status = PQresultStatus(raw);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            changed += result.changed();
        else if (!failed.get())
            failed = result;
    }
    if (failed.get())
        throwResultError(failed.get(), doing);
    if (PQstatus(conn) != CONNECTION_OK)
        throwResultError(nullptr, doing);
    return changed;
}

void PgConnection::inTransaction(const QString& doing, const std::function<void()>& work)
{
    handle();
    const bool outermost = m_depth == 0;
    const QString savepoint = QStringLiteral("ravlen_unit_%1").arg(++m_savepoints);
    execScript(outermost ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT ") + savepoint, doing);
    auto undo = [&] {
        if (!m_conn || PQstatus(m_conn) != CONNECTION_OK || PQtransactionStatus(m_conn) == PQTRANS_IDLE)
            return;
        const QByteArray sql = outermost ? QByteArrayLiteral("ROLLBACK")
                                         : QStringLiteral("ROLLBACK TO SAVEPOINT %1; RELEASE SAVEPOINT %1")
                                               .arg(savepoint)
                                               .toUtf8();
        PQclear(PQexec(m_conn, sql.constData()));
    };
    ++m_depth;
    try {
        work();
    } catch (...) {
        --m_depth;
        undo();
        throw;
    }
    --m_depth;
    // The server gives up a whole transaction at the first failed statement, also one whose error the work
    // caught; ending it then would quietly undo everything, so it is reported instead.
    if (PQtransactionStatus(m_conn) == PQTRANS_INERROR) {
        undo();
        throw DataError(doing + QStringLiteral(": a statement of this unit of work failed; nothing was kept"));
    }
    try {
        execScript(outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT ") + savepoint, doing);
    } catch (...) {
        undo();
        throw;
    }
}

QString PgConnection::serverSetting(const char* name)
{
    return QString::fromUtf8(PQparameterStatus(handle(), name));
}
