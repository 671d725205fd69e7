#include "bench/scale/ScaleFiles.h"

#include "data/DbConnection.h"
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "data/ZarkU.h"
#include "tools/ItemStore.h"
#include "tools/ServerStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace ScaleFiles {

namespace {

// Raised whenever what the generator writes changes, so cached files made by an older generator are not used.
constexpr int generatorVersion = 1;

constexpr int itemsAnsweredWhenUnfinished = 45;

const QStringList& firstNames()
{
    static const QStringList names{QStringLiteral("مريم"), QStringLiteral("علي"),  QStringLiteral("سارا"),
                                   QStringLiteral("رضا"),  QStringLiteral("زهرا"), QStringLiteral("حسين"),
                                   QStringLiteral("نرگس"), QStringLiteral("محمد"), QStringLiteral("ليلا")};
    return names;
}

const QStringList& lastNames()
{
    static const QStringList names{QStringLiteral("کريمي"), QStringLiteral("رضايي"), QStringLiteral("احمدي"),
                                   QStringLiteral("حسيني"), QStringLiteral("موسوي"), QStringLiteral("جعفري"),
                                   QStringLiteral("صادقي"), QStringLiteral("نوري"),  QStringLiteral("قاسمي"),
                                   QStringLiteral("کاظمي"), QStringLiteral("محمدي")};
    return names;
}

// The answers of participant `fileNo`: 1 to 5 spread over the items, the item's score following its scoring
// direction; an unfinished participant's later items stay 0 (unanswered). Valid on both engines.
QString answersSql(const QString& table, int fileNo)
{
    const int answered = completed(fileNo) ? 1000 : itemsAnsweredWhenUnfinished;
    const QString answer = QStringLiteral("(1 + (Row * 7 + %1) % 5)").arg(fileNo % 5);
    return QStringLiteral("UPDATE %1 SET Answer = CASE WHEN Row <= %2 THEN %3 ELSE 0 END, "
                          "Score = CASE WHEN Row > %2 THEN 0 WHEN Scoring THEN %3 ELSE 6 - %3 END")
        .arg(table)
        .arg(answered)
        .arg(answer);
}

struct Profile
{
    int fileNo;
    QString date, fName, lName;
    int age, gender, grade;
    QString table;
};

Profile profileOf(int fileNo, const QString& table)
{
    return {fileNo,
            QStringLiteral("14%1/%2/%3")
                .arg(fileNo % 5, 2, 10, QLatin1Char('0'))
                .arg(1 + fileNo % 12, 2, 10, QLatin1Char('0'))
                .arg(1 + fileNo % 29, 2, 10, QLatin1Char('0')),
            firstNames()[fileNo % firstNames().size()],
            lastNames()[(fileNo / 3) % lastNames().size()],
            15 + fileNo % 60,
            fileNo % 2,
            (fileNo / 2) % 8,
            table};
}

// Distinct table names from the program's own generator, seeded so every run makes the same file.
QStringList tableNames(int participants)
{
    RandomLettersGenerator().seed(20261211);
    QStringList names;
    QSet<QString> taken{QStringLiteral("PROFILES"), QStringLiteral("QUESTIONS")};
    while (names.size() < participants) {
        const QString name = RandomLetters(15);
        if (!taken.contains(name.toUpper())) {
            taken.insert(name.toUpper());
            names.append(name);
        }
    }
    return names;
}

class Handle
{
public:
    explicit Handle(const QString& file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + file.toStdString());
    }
    ~Handle() { sqlite3_close_v2(m_h); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    void exec(const QString& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_h, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string text = error ? error : "unknown error";
            sqlite3_free(error);
            throw std::runtime_error(sql.left(200).toStdString() + ": " + text);
        }
    }
    QString text(const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_h, sql, -1, &st, nullptr);
        QString value;
        if (st && sqlite3_step(st) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return value;
    }
    sqlite3* get() const { return m_h; }

private:
    sqlite3* m_h = nullptr;
};

// The schema and items of a new file as the program creates it, with the generator's version: the cache key.
QString schemaKey()
{
    static const QString key = [] {
        QTemporaryDir dir;
        const QString file = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
        ItemStore::createDatabase(file, ItemStore::bundledItems());
        Handle h(file);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        hash.addData(h.text("SELECT group_concat(sql, ';') FROM (SELECT sql FROM sqlite_master ORDER BY name)")
                         .toUtf8());
        hash.addData(h.text("SELECT group_concat(Question, ';') FROM (SELECT Question FROM Questions ORDER BY Row)")
                         .toUtf8());
        hash.addData(QByteArray::number(generatorVersion));
        return QString::fromLatin1(hash.result().toHex().left(12));
    }();
    return key;
}

QString cacheFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString folder = QDir(base).filePath(QStringLiteral("ravlen-bench/") + schemaKey());
    QDir().mkpath(folder);
    return folder;
}

void generate(const QString& file, int participants)
{
    ItemStore::createDatabase(file, ItemStore::bundledItems());
    Handle h(file);
    const QString questions = h.text("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = 'Questions'");
    const QString columns = questions.mid(questions.indexOf(QLatin1Char('(')));
    const QStringList names = tableNames(participants);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(h.get(), "INSERT INTO Profiles VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)", -1, &insert,
                       nullptr);
    h.exec(QStringLiteral("BEGIN"));
    for (int fileNo = 1; fileNo <= participants; ++fileNo) {
        const QString table = names[fileNo - 1];
        // The table as registration copies it: Questions' own definition under the new name, then its rows.
        h.exec(QStringLiteral("CREATE TABLE \"%1\" %2").arg(table, columns));
        h.exec(QStringLiteral("INSERT INTO \"%1\" SELECT * FROM Questions WHERE Row>=0").arg(table));
        h.exec(answersSql(table, fileNo));
        const Profile p = profileOf(fileNo, table);
        const QByteArray date = p.date.toUtf8(), fName = p.fName.toUtf8(), lName = p.lName.toUtf8(),
                         name = table.toUtf8();
        sqlite3_bind_int(insert, 1, p.fileNo);
        sqlite3_bind_text(insert, 2, date.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, fName.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, lName.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 5, p.age);
        sqlite3_bind_int(insert, 6, p.gender);
        sqlite3_bind_int(insert, 7, p.grade);
        sqlite3_bind_text(insert, 8, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 9, completed(fileNo) ? 1 : 0);
        if (sqlite3_step(insert) != SQLITE_DONE)
            throw std::runtime_error(std::string("profile insert: ") + sqlite3_errmsg(h.get()));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    h.exec(QStringLiteral("COMMIT"));
    // The cached file is whole on its own, with nothing waiting in a write-ahead log.
    h.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void removeWithCompanions(const QString& file)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
}

} // namespace

bool completed(int fileNo)
{
    return fileNo % 10 != 0;
}

QString pristineFile(int participants)
{
    const QString file = QDir(cacheFolder()).filePath(QStringLiteral("participants-%1.mdb").arg(participants));
    if (QFile::exists(file))
        return file;
    const QString scratch = file + QStringLiteral(".making");
    removeWithCompanions(scratch);
    QElapsedTimer timer;
    timer.start();
    generate(scratch, participants);
    removeWithCompanions(scratch + QStringLiteral("-wal"));
    if (!QFile::rename(scratch, file))
        throw std::runtime_error("cannot name " + file.toStdString());
    std::fprintf(stderr, "generated %d participants in %.1f s: %s (%.0f MB)\n", participants,
                 double(timer.elapsed()) / 1000.0, qUtf8Printable(file),
                 double(QFileInfo(file).size()) / (1024.0 * 1024.0));
    return file;
}

QString workingFolder(int participants)
{
    // One per run and size, gone when the run ends: two runs at once (a build before and after a change) must
    // not register into each other's copy.
    static std::map<int, std::unique_ptr<QTemporaryDir>> made;
    if (made.count(participants))
        return made[participants]->path();
    const QString source = pristineFile(participants);
    auto folder = std::make_unique<QTemporaryDir>(
        QDir(cacheFolder()).filePath(QStringLiteral("work-%1-XXXXXX").arg(participants)));
    if (!folder->isValid() || !QFile::copy(source, QDir(folder->path()).filePath(QStringLiteral("Ravlen.mdb"))))
        throw std::runtime_error("cannot copy " + source.toStdString());
    made[participants] = std::move(folder);
    return made[participants]->path();
}

void fillServer(const QString& uri, int participants)
{
    QElapsedTimer timer;
    timer.start();
    ServerStore::createServer(uri, ItemStore::bundledItems());
    PgConnection db(uri);
    db.open();
    const QStringList names = tableNames(participants);
    constexpr int batch = 250;
    for (int first = 1; first <= participants; first += batch) {
        PgBackend::inTransaction(db, QStringLiteral("Cannot fill the benchmark database"), [&] {
            for (int fileNo = first; fileNo < first + batch && fileNo <= participants; ++fileNo) {
                const QString table = names[fileNo - 1];
                PgBackend::executeStatement(db, QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0")
                                                    .arg(table));
                PgBackend::execute(db, answersSql(table, fileNo));
                const Profile p = profileOf(fileNo, table);
                PgBackend::insertRow(db, QStringLiteral("Profiles"),
                                     {QStringLiteral("FileNo"), QStringLiteral("Date"), QStringLiteral("FName"),
                                      QStringLiteral("LName"), QStringLiteral("Age"), QStringLiteral("Gender"),
                                      QStringLiteral("Grade"), QStringLiteral("QTable"), QStringLiteral("Completed")},
                                     {p.fileNo, p.date, p.fName, p.lName, p.age, p.gender, p.grade, p.table,
                                      completed(fileNo)});
            }
        });
    }
    std::fprintf(stderr, "filled the server with %d participants in %.1f s\n", participants,
                 double(timer.elapsed()) / 1000.0);
}

} // namespace ScaleFiles
