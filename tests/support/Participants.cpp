#include "tests/support/Participants.h"

#include "data/DbConnection.h"
#include "data/ZarkU.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

namespace {

QSqlQuery prepared(DbConnection& db, const QString& sql)
{
    QSqlQuery query(db.database());
    if (!query.prepare(sql))
        throw std::runtime_error(query.lastError().text().toStdString());
    return query;
}

void run(QSqlQuery& query)
{
    if (!query.exec())
        throw std::runtime_error(query.lastError().text().toStdString());
}

QString freeTableName(DbConnection& db)
{
    QString name;
    do
        name = RandomLetters(15);
    while (db.tableExists(name));
    return name;
}

} // namespace

QString addParticipant(DbConnection& db, const ParticipantSpec& p)
{
    const QString table = freeTableName(db);
    QSqlQuery profile = prepared(db, QStringLiteral("INSERT INTO Profiles VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& value :
         {QVariant(p.fileNo), QVariant(p.date), QVariant(p.firstName), QVariant(p.lastName), QVariant(p.age),
          QVariant(p.gender), QVariant(p.grade), QVariant(table), QVariant(p.completed ? 1 : 0)})
        profile.addBindValue(value);
    run(profile);
    db.execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0").arg(table));

    QSqlQuery rows(db.database());
    if (!rows.exec(QStringLiteral("SELECT Row FROM %1 ORDER BY Row").arg(table)))
        throw std::runtime_error(rows.lastError().text().toStdString());
    QSqlQuery answer = prepared(db, QStringLiteral("UPDATE %1 SET Answer = ?, Score = CASE WHEN Scoring THEN ? "
                                                   "ELSE 6 - ? END WHERE Row = ?")
                                        .arg(table));
    for (size_t i = 0; i < p.answers.size() && rows.next(); ++i) {
        if (p.answers[i] == 0)
            continue;
        const double value = p.answers[i];
        for (const QVariant& v : {QVariant(value), QVariant(value), QVariant(value), rows.value(0)})
            answer.addBindValue(v);
        run(answer);
    }
    return table;
}

std::vector<int> allAnswered(DbConnection& db, int answer)
{
    QSqlQuery count(db.database());
    if (!count.exec(QStringLiteral("SELECT Count(*) FROM Questions")) || !count.next())
        throw std::runtime_error(count.lastError().text().toStdString());
    return std::vector<int>(size_t(count.value(0).toInt()), answer);
}
