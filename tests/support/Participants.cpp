#include "tests/support/Participants.h"

#include "data/DbBackend.h"
#include "data/DbConnection.h"
#include "data/ZarkU.h"

#include <QVariant>

#include <stdexcept>

namespace {

QString freeTableName(DbConnection& db)
{
    QString name;
    do
        name = RandomLetters(15);
    while (db.tableExists(name));
    return name;
}

} // namespace

QString addParticipant(DbConnection& db, const TestParticipant& p)
{
    // Through the connection's backend, so the same participant lands in a file or on the server.
    DbBackend& backend = db.backend();
    const QString table = freeTableName(db);
    backend.insertRow(QStringLiteral("Profiles"),
                      {QStringLiteral("FileNo"), QStringLiteral("Date"), QStringLiteral("FName"),
                       QStringLiteral("LName"), QStringLiteral("Age"), QStringLiteral("Gender"),
                       QStringLiteral("Grade"), QStringLiteral("QTable"), QStringLiteral("Completed")},
                      {p.fileNo, p.date, p.firstName, p.lastName, p.age, p.gender, p.grade, table, p.completed});
    db.execute(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0").arg(table));

    const ReadResult rows = backend.readQuery(QStringLiteral("SELECT Row FROM %1 ORDER BY Row").arg(table), true);
    for (size_t i = 0; i < p.answers.size() && i < rows.values.size(); ++i) {
        if (p.answers[i] == 0)
            continue;
        db.execute(QStringLiteral("UPDATE %1 SET Answer = %2, Score = CASE WHEN Scoring THEN %2 ELSE 6 - %2 END "
                                  "WHERE Row = %3")
                       .arg(table)
                       .arg(p.answers[i])
                       .arg(rows.values[i].toLongLong()));
    }
    return table;
}

std::vector<int> allAnswered(DbConnection& db, int answer)
{
    const ReadResult count = db.backend().readQuery(QStringLiteral("SELECT Count(*) FROM Questions"), true);
    return std::vector<int>(size_t(count.values.front().toInt()), answer);
}
