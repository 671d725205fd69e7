// One workstation for tst_PgClients: registers participants on the server under the next free file number and
// answers every item of each, until its time is up. Several run at once against one database.
//
// Prints one line per registered participant, "P <file number> <table> <answers as digits>", one per refused
// registration, "R <the sentence the counsellor reads>", and "ERROR <detail>" (exit 1) for anything else.
#include "data/DataError.h"
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "tests/support/PgRegistration.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>

#include <cstdio>

namespace {

void say(const QString& line)
{
    std::fputs(qUtf8Printable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QVariant firstValue(PgConnection& db, const QString& sql)
{
    return PgBackend::readQuery(db, sql).values.front();
}

// Answers every item of `table` at random, each posted on its own as the questionnaire does; returns the digits.
QString answerAll(PgConnection& db, const QString& table)
{
    const SqlBackend::ReadResult items = PgBackend::readTable(db, table, true);
    QString digits;
    for (int row = 0; row < items.store.rowCount(); ++row) {
        const int answer = 1 + int(QRandomGenerator::global()->bounded(5));
        const bool scoring = items.store.value(row, 3).toBool();
        PgBackend::updateRow(db, table, items.rowIds[size_t(row)], {QStringLiteral("Answer"), QStringLiteral("Score")},
                             {double(answer), double(scoring ? answer : 6 - answer)}, {0.0, 0.0});
        digits += QString::number(answer);
    }
    return digits;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;
    PgConnection db(args[1]);
    const QDeadlineTimer deadline(qint64(args[2].toDouble() * 1000));
    try {
        PgBackend::openChecked(db);
        while (!deadline.hasExpired()) {
            const int fileNo =
                firstValue(db, QStringLiteral("SELECT coalesce(max(FileNo), 0) + 1 FROM Profiles")).toInt();
            QString table;
            try {
                table = registerOnServer(db, fileNo);
            } catch (const DataError& e) {
                if (e.kind() != DataError::Kind::DuplicateKey)
                    throw;
                say(QStringLiteral("R ") + userSentence(e.kind(), e.message()));
                continue;
            }
            const QString digits = answerAll(db, table);
            PgBackend::updateRow(db, QStringLiteral("Profiles"), fileNo, {QStringLiteral("Completed")}, {true},
                                 {false});
            say(QStringLiteral("P %1 %2 %3").arg(fileNo).arg(table, digits));
        }
    } catch (const std::exception& e) {
        say(QStringLiteral("ERROR ") + QString::fromUtf8(e.what()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return 1;
    }
    return 0;
}
