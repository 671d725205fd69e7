// A second program writing to a database the way Ravlen does while a participant answers: it registers one
// participant, then posts answers through the data layer's connection one at a time, and prints each answer's
// sequence number after its commit returned. Posting i writes Answer = i to row ((i - 1) % 90) + 1, so a copy
// can be checked for every answer acknowledged before it was taken.
//
// Usage: tst_AnswerPoster DATABASE       (runs until killed)

#include "data/DbConnection.h"
#include "data/ZarkU.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
const QString kTable = QStringLiteral("ABCDEFGHIJKLMNO");
constexpr int kRows = 90;
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    DbConnection db;
    db.setConnectionString(JetConnectionString(QCoreApplication::arguments().value(1), QString()));
    db.open();
    db.inTransaction(QStringLiteral("register"), [&] {
        db.execute(QStringLiteral("INSERT INTO Profiles (FileNo, FName, QTable, Completed) VALUES (1, 'x', '%1', 0)")
                       .arg(kTable));
        db.execute(QStringLiteral("SELECT * INTO %1 FROM Questions").arg(kTable));
    });
    std::puts("ready");
    std::fflush(stdout);
    for (int i = 1; i < 1000000; ++i) {
        db.execute(QStringLiteral("UPDATE %1 SET Answer = %2, Score = %2 WHERE Row = %3")
                       .arg(kTable)
                       .arg(i)
                       .arg((i - 1) % kRows + 1));
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}
