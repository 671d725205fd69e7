#include "data/DbConnection.h"

#include "data/DataError.h"
#include "data/SqliteBackend.h"

DbConnection::DbConnection() = default;

DbConnection::~DbConnection()
{
    close();
}

void DbConnection::setConnectionString(const QString& connectionString)
{
    m_connectionString = connectionString;
}

QString DbConnection::fileName() const
{
    return dataSourceOf(m_connectionString);
}

QString DbConnection::dataSourceOf(const QString& connectionString)
{
    // Items are key=value separated by ';'. A value may be put in double quotes, inside which ';' does not
    // separate and a doubled quote stands for one.
    const QString& s = connectionString;
    int i = 0;
    while (i < s.size()) {
        const int eq = s.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = s.mid(i, eq - i).trimmed();
        int j = eq + 1;
        QString value;
        if (j < s.size() && s[j] == QLatin1Char('"')) {
            ++j;
            while (j < s.size()) {
                if (s[j] == QLatin1Char('"')) {
                    if (j + 1 < s.size() && s[j + 1] == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += s[j++];
            }
            const int semi = s.indexOf(QLatin1Char(';'), j);
            j = semi < 0 ? s.size() : semi;
        } else if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0 &&
                   s.indexOf(QLatin1String(";Mode="), j, Qt::CaseInsensitive) >= 0) {
            // The builder inserts the file name unchanged, so a folder named with ';' would cut it short: the
            // name runs up to the builder's next item, the last ";Mode=" of the text.
            const int end = int(s.lastIndexOf(QLatin1String(";Mode="), -1, Qt::CaseInsensitive));
            value = s.mid(j, end - j);
            j = end;
        } else {
            const int semi = s.indexOf(QLatin1Char(';'), j);
            const int end = semi < 0 ? s.size() : semi;
            value = s.mid(j, end - j);
            j = end;
        }
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            return value;
        i = j + 1;
    }
    return QString();
}

void DbConnection::open()
{
    if (isConnected())
        return;
    const QString file = fileName();
    if (file.isEmpty())
        throw DataError(QStringLiteral("Cannot connect: the connection string names no Data Source"));
    m_backend = openBackend(file, m_fileSystemType);
}

void DbConnection::close()
{
    m_backend.reset();
}

DbBackend& DbConnection::backend() const
{
    if (!m_backend)
        throw DataError(QStringLiteral("The database connection is not open"), DataError::Kind::NotConnected);
    return *m_backend;
}

const QSqlDatabase& DbConnection::database() const
{
    const auto* file = dynamic_cast<const SqliteBackend*>(&backend());
    if (!file)
        throw DataError(QStringLiteral("The database on '%1' is no SQLite file").arg(m_backend->location()),
                        DataError::Kind::Unsupported);
    return file->database();
}

QStringList DbConnection::tableNames() const
{
    return backend().tableNames();
}

bool DbConnection::tableExists(const QString& name) const
{
    return backend().tableExists(name);
}

TableNameSet DbConnection::tableNameSet() const
{
    return TableNameSet(backend().tableNames());
}

int DbConnection::execute(const QString& sql)
{
    return backend().execute(sql);
}

int DbConnection::executeStatement(const QString& sql)
{
    return backend().executeStatement(sql);
}

void DbConnection::inTransaction(const QString& doing, const std::function<void()>& work)
{
    DbBackend& db = backend();
    m_rollbackSteps.emplace_back();
    try {
        db.inTransaction(doing, work);
    } catch (...) {
        std::vector<std::function<void()>> undo = std::move(m_rollbackSteps.back());
        m_rollbackSteps.pop_back();
        for (auto step = undo.rbegin(); step != undo.rend(); ++step)
            (*step)();
        throw;
    }
    // Kept by this unit, but an enclosing unit may still undo it.
    std::vector<std::function<void()>> kept = std::move(m_rollbackSteps.back());
    m_rollbackSteps.pop_back();
    if (!m_rollbackSteps.empty())
        for (std::function<void()>& step : kept)
            m_rollbackSteps.back().push_back(std::move(step));
}

bool DbConnection::checkpoint()
{
    if (!isConnected())
        return true;
    if (transactionDepth() > 0)
        return false;
    return m_backend->checkpoint();
}

void DbConnection::onRollback(std::function<void()> undo)
{
    if (!m_rollbackSteps.empty())
        m_rollbackSteps.back().push_back(std::move(undo));
}
