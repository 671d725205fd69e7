// A second workstation for the multi-process tests: it opens the same database file through the data module and
// posts rows, so the tests can run it beside themselves or kill it mid-run.
//
// Answers go into the tests' participant question table (testParticipantTable), which the test makes first.
//
//   db_helper insert <file> <first file number> <count>   insert profiles one by one, then print "done"
//   db_helper post-and-wait <file> <file number>           insert one profile, answer its item 1,
//                                                          print "posted" and wait to be killed
//   db_helper register <file> <first file number> <count> register participants one after another, each in a
//                                                          unit of work with its own question table, then print
//                                                          "done"
//   db_helper register-and-wait <file> <file number>       in one unit of work insert a profile and copy the
//                                                          master list, print "copied" and wait to be killed
//                                                          before the unit ends
//   db_helper connect-and-post <file> <file number>        connect, insert one profile and print "posted"; the
//                                                          error tests run it as another user
//
// A data error ends it with status 1 and "kind <number>" on the first line of standard error, then the error's
// text as the application's report shows it.

#include "data/DataError.h"
#include "data/DataModule.h"
#include "tests/data/TempDatabase.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    try {
        TData data;
        data.ConnectToDatabase(args[2]);
        auto profile = [&](int fileNo) {
            data.tbProfiles.insertRecord({fileNo, QStringLiteral("1402/01/01"), QStringLiteral("نام"),
                                          QStringLiteral("خانوادگي"), 30, 1, 3, QStringLiteral("ABCDEFGHIJKLMNO"),
                                          false});
        };
        if (args[1] == QLatin1String("insert") && args.size() >= 5) {
            const int first = args[3].toInt();
            const int count = args[4].toInt();
            for (int i = 0; i < count; ++i) {
                profile(first + i);
                // Each workstation also answers items of one table, five rows of its own (1-5 for first numbers
                // below 1000, 6-10 above), interleaving its writes with the other process.
                data.OpenQuestionTable(testParticipantTable);
                data.tbQuestions.setIndexFieldNames(QStringLiteral("Row"));
                data.tbQuestions.setRecNo((first / 1000) * 5 + i % 5 + 1);
                data.tbQuestions.edit();
                data.tbQuestions.setFieldValue(QStringLiteral("Answer"), 1 + i % 5);
                data.tbQuestions.post();
            }
            std::printf("done\n");
            return 0;
        }
        if (args[1] == QLatin1String("register") && args.size() >= 5) {
            const int first = args[3].toInt();
            for (int i = 0; i < args[4].toInt(); ++i) {
                QString table;
                do
                    table = RandomLetters(15);
                while (TableExists(table, data.Database));
                data.Database.inTransaction(QStringLiteral("register"), [&] {
                    data.tbProfiles.insertRecord({first + i, QStringLiteral("1403/01/01"), QStringLiteral("نام"),
                                                  QStringLiteral("خانوادگي"), 30, 1, 3, table, false});
                    data.sqlCommand.setCommandText(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0")
                                                       .arg(table));
                    data.sqlCommand.execute();
                });
            }
            std::printf("done\n");
            return 0;
        }
        if (args[1] == QLatin1String("register-and-wait")) {
            data.Database.inTransaction(QStringLiteral("register"), [&] {
                data.tbProfiles.insertRecord({args[3].toInt(), QStringLiteral("1403/01/01"), QStringLiteral("نام"),
                                              QStringLiteral("خانوادگي"), 30, 1, 3, testParticipantTable, false});
                data.sqlCommand.setCommandText(QStringLiteral("SELECT * INTO %1 FROM Questions Where Row>=0")
                                                   .arg(testParticipantTable));
                data.sqlCommand.execute();
                std::printf("copied\n");
                std::fflush(stdout);
                for (;;)
                    QThread::sleep(1);
            });
        }
        if (args[1] == QLatin1String("connect-and-post")) {
            profile(args[3].toInt());
            std::printf("posted\n");
            return 0;
        }
        if (args[1] == QLatin1String("post-and-wait")) {
            profile(args[3].toInt());
            data.OpenQuestionTable(testParticipantTable);
            data.tbQuestions.setIndexFieldNames(QStringLiteral("Row"));
            data.tbQuestions.first();
            data.tbQuestions.edit();
            data.tbQuestions.setFieldValue(QStringLiteral("Answer"), 4);
            data.tbQuestions.setFieldValue(QStringLiteral("Score"), 2);
            data.tbQuestions.post();
            std::printf("posted\n");
            std::fflush(stdout);
            for (;;)
                QThread::sleep(1);
        }
    } catch (const DataError& e) {
        std::fprintf(stderr, "kind %d\n%s\n", int(e.kind()), e.what());
        return 1;
    }
    return 2;
}
