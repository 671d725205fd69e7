#include "tools/ReadOnlyDb.h"

#include "data/DataError.h"

#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

namespace {

// The columns the program reads; a file lacking one fails later in the middle of a test.
struct RequiredTable
{
    const char* name;
    QStringList columns;
};

const RequiredTable kRequiredTables[] = {
    {"Profiles",
     {QStringLiteral("FileNo"), QStringLiteral("Date"), QStringLiteral("FName"), QStringLiteral("LName"),
      QStringLiteral("Age"), QStringLiteral("Gender"), QStringLiteral("Grade"), QStringLiteral("QTable"),
      QStringLiteral("Completed")}},
    {"Questions",
     {QStringLiteral("Row"), QStringLiteral("Group1"), QStringLiteral("Group2"), QStringLiteral("Scoring"),
      QStringLiteral("Question"), QStringLiteral("Answer"), QStringLiteral("Score")}},
};

constexpr int kBusyTimeoutMs = 5000;

DataError::Kind kindOf(int code)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return DataError::Kind::NotADatabase;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DataError::Kind::Busy;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DataError::Kind::AccessDenied;
    default:
        return DataError::Kind::Other;
    }
}

void refuseUnopenable(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString doing = QStringLiteral("Cannot read database file '%1': ").arg(fileName);
    if (!info.exists())
        throw DataError(doing + QStringLiteral("the file does not exist"), DataError::Kind::MissingFile);
    if (!info.isFile())
        throw DataError(doing + QStringLiteral("it is not a file"), DataError::Kind::NotADatabase);
    if (!info.isReadable())
        throw DataError(doing + QStringLiteral("this user may not read it"), DataError::Kind::AccessDenied);
    // The engine takes an empty file for a new, empty database; it holds no Ravlen data either way.
    if (info.size() == 0)
        throw DataError(doing + QStringLiteral("the file is empty"), DataError::Kind::NotADatabase);
}

} // namespace

ReadOnlyDb::ReadOnlyDb(const QString& fileName) : m_fileName(fileName)
{
    refuseUnopenable(fileName);
    // A URI, so that a name holding '?' or '#' is taken literally; mode=ro on top of the read-only flag.
    const QByteArray uri =
        (QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()).toString(QUrl::FullyEncoded) +
         QStringLiteral("?mode=ro"))
            .toUtf8();
    const int rc = sqlite3_open_v2(uri.constData(), &m_handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = QString::fromUtf8(m_handle ? sqlite3_errmsg(m_handle) : sqlite3_errstr(rc));
        sqlite3_close(m_handle);
        m_handle = nullptr;
        throw DataError(QStringLiteral("Cannot read database file '%1': %2").arg(fileName, reason), kindOf(rc));
    }
    sqlite3_busy_timeout(m_handle, kBusyTimeoutMs);
    // The engine reads the file only at the first statement: a foreign or damaged file is refused here, not
    // half-way through the caller's work.
    try {
        column(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (...) {
        sqlite3_close(m_handle);
        m_handle = nullptr;
        throw;
    }
}

ReadOnlyDb::~ReadOnlyDb()
{
    sqlite3_close(m_handle);
}

QStringList ReadOnlyDb::column(const QString& sql) const
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    int rc = sqlite3_prepare_v2(m_handle, text.constData(), int(text.size()), &statement, nullptr);
    QStringList values;
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            values.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw DataError(
            QStringLiteral("Cannot read database file '%1': %2").arg(m_fileName, QString::fromUtf8(sqlite3_errmsg(m_handle))),
            kindOf(sqlite3_extended_errcode(m_handle)));
    return values;
}

QStringList ReadOnlyDb::schemaProblems() const
{
    QStringList problems;
    for (const RequiredTable& table : kRequiredTables) {
        const QString name = QLatin1String(table.name);
        const QStringList present =
            column(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(name));
        if (column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = '%1' "
                                  "COLLATE NOCASE")
                       .arg(name))
                .isEmpty()) {
            problems.append(QStringLiteral("it has no %1 table").arg(name));
            continue;
        }
        for (const QString& wanted : table.columns) {
            if (!present.contains(wanted, Qt::CaseInsensitive))
                problems.append(QStringLiteral("its %1 table has no %2 column").arg(name, wanted));
        }
    }
    for (const QString& trigger : column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'")))
        problems.append(QStringLiteral("it holds the trigger '%1', which would run hidden statements whenever the "
                                       "program writes")
                            .arg(trigger));
    return problems;
}

void ReadOnlyDb::requireRavlenSchema() const
{
    const QStringList problems = schemaProblems();
    if (!problems.isEmpty())
        throw DataError(QStringLiteral("'%1' is not a Ravlen database: %2").arg(m_fileName, problems.first()),
                        DataError::Kind::Schema);
}
