// Another program on the same database file, for the suites that need a second process:
//   testwin_child register <database file> <file number>
//       registers a participant with that file number, as another copy of the program would;
//   testwin_child answer <folder> <file number> <answer>
//       opens the test window on <folder>/Ravlen.mdb, starts the participant's retest, clicks the answer button
//       of the first item, prints "answered" and then waits to be killed;
//   testwin_child keep-registering <folder> <first file number>
//       registers new participants on <folder>/Ravlen.mdb through the test window's own registration, one after
//       another from that file number on, printing "registered" after the first, until it is killed.

#include "data/DataModule.h"
#include "dialogs/MessageFrm.h"
#include "dialogs/NumericEdit.h"
#include "testing/NewTestForm.h"
#include "tests/support/Participants.h"
#include "data/ZarkU.h"
#include "testing/ParticipantRegistry.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>

#include <cstdio>

namespace {

int registerParticipant(const QString& fileName, int fileNo)
{
    DbConnection db;
    db.setConnectionString(JetConnectionString(fileName, QString()));
    db.open();
    ParticipantSpec participant;
    participant.fileNo = fileNo;
    participant.firstName = QStringLiteral("مريم");
    participant.gender = 0;
    addParticipant(db, participant);
    return 0;
}

int answerFirstItem(const QString& folder, int fileNo, int answer)
{
    QDir::setCurrent(folder);
    TData data;
    Data = &data;
    data.ConnectToWorkingDirectoryDatabase();
    TfrmNewTest window;
    window.setOuterHeight(175);
    window.show();
    window.findChild<NumericEdit*>(QStringLiteral("edFileNo"))->setValue(fileNo);
    window.edFileNoExit();
    SysMessageSeam::setNextAnswer(1);
    window.btStartClick();
    const char* names[] = {"btCDisagree", "btDisagree", "btSoSo", "btAgree", "btCAgree"};
    window.findChild<QPushButton*>(QLatin1String(names[answer - 1]))->click();
    std::fputs("answered\n", stdout);
    std::fflush(stdout);
    return QApplication::exec();
}

int keepRegistering(const QString& folder, int firstFileNo)
{
    QDir::setCurrent(folder);
    TData data;
    Data = &data;
    data.ConnectToWorkingDirectoryDatabase();
    ParticipantRegistry registry(data);
    ParticipantDetails details;
    details.date = ShEncodeDate(1404, 9, 20);
    details.fName = QStringLiteral("مريم");
    details.lName = QStringLiteral("احمدي");
    details.age = 30;
    details.gender = 0;
    details.grade = 2;
    for (qint64 fileNo = firstFileNo;; ++fileNo) {
        details.fileNo = fileNo;
        QString table;
        registry.registerParticipant(details, table);
        if (fileNo == firstFileNo) {
            std::fputs("registered\n", stdout);
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("register"))
            return registerParticipant(args[2], args[3].toInt());
        if (args.size() == 5 && args[1] == QLatin1String("answer"))
            return answerFirstItem(args[2], args[3].toInt(), args[4].toInt());
        if (args.size() == 4 && args[1] == QLatin1String("keep-registering"))
            return keepRegistering(args[2], args[3].toInt());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    std::fputs("usage: testwin_child register FILE FILENO | answer FOLDER FILENO ANSWER |\n"
               "       testwin_child keep-registering FOLDER FILENO\n",
               stderr);
    return 1;
}
