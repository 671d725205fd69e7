#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/DbConnection.h"
#include "dialogs/AppFonts.h"
#include "dialogs/MessageFrm.h"
#include "testing/NewTestForm.h"
#include "tests/support/MessageSeam.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Participants.h"
#include "tests/support/Pixels.h"
#include "tests/support/PlainCopy.h"
#include "tests/support/Screenshot.h"
#include "tests/testing/NewTestFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

const char* const answerButtons[] = {"btCDisagree", "btDisagree", "btSoSo", "btAgree", "btCAgree"};

QImage pictureOf(const QLabel* label)
{
    return label->pixmap().toImage();
}

} // namespace

class tst_Questionnaire : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wholeTestThroughClicks_data();
    void wholeTestThroughClicks();
    void finishedTestIsInTheFileItself();
    void scoring_data();
    void scoring();
    void changingAnEarlierAnswerReplacesOnlyIt();
    void previousOnTheFirstItemDoesNothing();
    void answeringTheLastItemStaysThere();
    void endWithUnansweredItemsGoesToTheFirst();
    void retestOfAnUnfinishedTestResumesIt();
    void completedGoesToTheTestedParticipant();
    void keyboardAnswers_data();
    void keyboardAnswers();
    void heldKeyAnswersOnce_data();
    void heldKeyAnswersOnce();
    void answerPictureIsWrittenToTheWorkingFolder();
    void unwritablePictureIsReportedAfterTheAnswerIsStored();
    void killedProgramKeepsItsAnswer();
    void answersWhileAnotherProgramRegisters();
    void screenshots();

private:
    template <typename T> T* find(const char* name) const { return m_f->find<T>(name); }
    QPushButton* answerButton(int value) const { return find<QPushButton>(answerButtons[value - 1]); }
    // Registers the participant, looks them up and starts their (re)test; returns the question table's name.
    QString startTest(const TestParticipant& participant);
    QString position() const { return find<QLabel>("lbQNo")->text(); }
    int itemCount() const;
    // Answer and Score of the item at `position` (from 1, in Row order), as another connection reads them.
    QVariantList stored(const QString& table, int position) const;
    bool completed(int fileNo) const;
    void clickNextTimes(int times);

    std::unique_ptr<NewTestFixture> m_f;
};

void tst_Questionnaire::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
}

void tst_Questionnaire::init()
{
    m_f = std::make_unique<NewTestFixture>();
    QVERIFY(m_f->open());
}

void tst_Questionnaire::cleanup()
{
    m_f.reset();
    SysMessageSeam::clearAnswers();
}

QString tst_Questionnaire::startTest(const TestParticipant& participant)
{
    QString table;
    {
        const std::unique_ptr<DbConnection> other = m_f->db().connect();
        table = addParticipant(*other, participant);
    }
    QWidget* fileNo = find<QWidget>("edFileNo");
    retype(fileNo, QString::number(participant.fileNo));
    pressTab(fileNo);
    ScopedMessageAnswers yes({1});
    QTest::mouseClick(find<QPushButton>("btStart"), Qt::LeftButton);
    return table;
}

int tst_Questionnaire::itemCount() const
{
    return m_f->value(QStringLiteral("SELECT count(*) FROM Questions")).toInt();
}

QVariantList tst_Questionnaire::stored(const QString& table, int position) const
{
    return m_f->firstRow(
        QStringLiteral("SELECT Answer, Score FROM %1 ORDER BY Row LIMIT 1 OFFSET %2").arg(table).arg(position - 1));
}

bool tst_Questionnaire::completed(int fileNo) const
{
    return m_f->value(QStringLiteral("SELECT Completed FROM Profiles WHERE FileNo = %1").arg(fileNo)).toBool();
}

void tst_Questionnaire::clickNextTimes(int times)
{
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(find<QToolButton>("btNextQuestion"), Qt::LeftButton);
}

void tst_Questionnaire::wholeTestThroughClicks_data()
{
    QTest::addColumn<int>("stop");
    QTest::newRow("stop question Yes") << 1;
    QTest::newRow("stop question No") << 2;
}

void tst_Questionnaire::wholeTestThroughClicks()
{
    QFETCH(int, stop);
    TestParticipant participant;
    participant.fileNo = 9;
    const QString table = startTest(participant);
    const QVariantList scoring = m_f->column(QStringLiteral("SELECT Scoring FROM Questions ORDER BY Row"));
    const int items = scoring.size();
    QVERIFY(items > 5);

    for (int item = 1; item <= items; ++item) {
        QCOMPARE(position(), QString::number(item));
        const int answer = 1 + item % 5;
        QTest::mouseClick(answerButton(answer), Qt::LeftButton);
        const int score = scoring[item - 1].toBool() ? answer : 6 - answer;
        QCOMPARE(stored(table, item), QVariantList({answer, score}));
    }
    QCOMPARE(position(), QString::number(items));
    QVERIFY(!completed(9));

    ScopedMessageAnswers answers({stop});
    QTest::mouseClick(find<QPushButton>("btEnd"), Qt::LeftButton);
    QCOMPARE(answers.texts(), QStringList{QStringLiteral("اجراي آزمون جاري متوقف گردد؟")});
    QVERIFY(completed(9));
    if (stop == 1) {
        QCOMPARE(m_f->window()->height(), 138);
        QVERIFY(!find<QGroupBox>("grpQuestion")->isVisible());
        QVERIFY(find<QGroupBox>("grpInfo")->isEnabled());
    } else {
        QCOMPARE(m_f->window()->height(), 363);
        QVERIFY(find<QGroupBox>("grpQuestion")->isVisible());
        QCOMPARE(position(), QString::number(items));
        // The completed test's answers can still be changed.
        QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
        QTest::mouseClick(answerButton(5), Qt::LeftButton);
        QCOMPARE(stored(table, items - 1).value(0).toInt(), 5);
    }
}

// A copy of the database file alone, taken after End, holds the whole test; before End the answers wait in the
// engine's side log.
void tst_Questionnaire::finishedTestIsInTheFileItself()
{
    if (TempRavlenDb::onServer())
        QSKIP("a server keeps no side log beside a file");
    TestParticipant participant;
    participant.fileNo = 9;
    const QString table = startTest(participant);
    const int items = itemCount();
    for (int item = 1; item <= items; ++item)
        QTest::mouseClick(answerButton(4), Qt::LeftButton);
    const QString answered = QStringLiteral("SELECT count(*) FROM %1 WHERE Answer > 0").arg(table);
    QCOMPARE(firstColumnOfPlainCopy(m_f->db().path(), answered), QStringList{"0"});

    ScopedMessageAnswers answers({1});
    QTest::mouseClick(find<QPushButton>("btEnd"), Qt::LeftButton);
    QCOMPARE(firstColumnOfPlainCopy(m_f->db().path(), answered), QStringList{QString::number(items)});
    QCOMPARE(firstColumnOfPlainCopy(m_f->db().path(), QStringLiteral("SELECT Completed FROM Profiles WHERE FileNo = 9")),
             QStringList{"1"});
}

void tst_Questionnaire::scoring_data()
{
    QTest::addColumn<bool>("scoring");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("score");
    QTest::newRow("as worded, 1") << true << 1 << 1;
    QTest::newRow("as worded, 2") << true << 2 << 2;
    QTest::newRow("as worded, 3") << true << 3 << 3;
    QTest::newRow("as worded, 4") << true << 4 << 4;
    QTest::newRow("as worded, 5") << true << 5 << 5;
    QTest::newRow("reversed, 1") << false << 1 << 5;
    QTest::newRow("reversed, 2") << false << 2 << 4;
    QTest::newRow("reversed, 3") << false << 3 << 3;
    QTest::newRow("reversed, 4") << false << 4 << 2;
    QTest::newRow("reversed, 5") << false << 5 << 1;
}

void tst_Questionnaire::scoring()
{
    QFETCH(bool, scoring);
    QFETCH(int, answer);
    QFETCH(int, score);
    const QVariantList directions = m_f->column(QStringLiteral("SELECT Scoring FROM Questions ORDER BY Row"));
    const int item = 1 + int(std::find_if(directions.begin(), directions.end(),
                                          [&](const QVariant& v) { return v.toBool() == scoring; }) -
                             directions.begin());
    QVERIFY(item <= directions.size());

    TestParticipant participant;
    const QString table = startTest(participant);
    clickNextTimes(item - 1);
    QCOMPARE(position(), QString::number(item));
    QTest::mouseClick(answerButton(answer), Qt::LeftButton);
    QCOMPARE(stored(table, item), QVariantList({answer, score}));
}

void tst_Questionnaire::changingAnEarlierAnswerReplacesOnlyIt()
{
    TestParticipant participant;
    const QString table = startTest(participant);
    const QVariantList scoring = m_f->column(QStringLiteral("SELECT Scoring FROM Questions ORDER BY Row"));
    QTest::mouseClick(answerButton(5), Qt::LeftButton);
    QTest::mouseClick(answerButton(4), Qt::LeftButton);
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QCOMPARE(position(), QStringLiteral("1"));
    QTest::mouseClick(answerButton(2), Qt::LeftButton);
    QCOMPARE(stored(table, 1), QVariantList({2, scoring[0].toBool() ? 2 : 4}));
    QCOMPARE(stored(table, 2), QVariantList({4, scoring[1].toBool() ? 4 : 2}));
    QCOMPARE(stored(table, 3), QVariantList({0, 0}));
    // On the second item again, its own answer shows.
    QCOMPARE(position(), QStringLiteral("2"));
    QVERIFY(find<QLabel>("imgAns")->isVisible());
    QCOMPARE(pictureOf(find<QLabel>("imgAns")), answerButton(4)->icon().pixmap(QSize(16, 16)).toImage());
}

void tst_Questionnaire::previousOnTheFirstItemDoesNothing()
{
    TestParticipant participant;
    startTest(participant);
    const QString question = find<QLabel>("lbQuestion")->text();
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QCOMPARE(position(), QStringLiteral("1"));
    QCOMPARE(find<QLabel>("lbQuestion")->text(), question);
    QVERIFY(!find<QLabel>("imgAns")->isVisible());
    QVERIFY(m_f->data().tbQuestions.bof());
}

void tst_Questionnaire::answeringTheLastItemStaysThere()
{
    TestParticipant participant;
    const QString table = startTest(participant);
    const int items = itemCount();
    clickNextTimes(items - 1);
    QCOMPARE(position(), QString::number(items));
    QVERIFY(!m_f->data().tbQuestions.eof());

    QTest::mouseClick(answerButton(5), Qt::LeftButton);
    QCOMPARE(position(), QString::number(items));
    QVERIFY(m_f->data().tbQuestions.eof());
    QVERIFY(find<QLabel>("imgAns")->isVisible());
    QCOMPARE(pictureOf(find<QLabel>("imgAns")), answerButton(5)->icon().pixmap(QSize(16, 16)).toImage());
    QTest::mouseClick(find<QToolButton>("btNextQuestion"), Qt::LeftButton);
    QCOMPARE(position(), QString::number(items));

    // Answered again on the end flag: stored, and the indicator follows.
    QTest::mouseClick(answerButton(1), Qt::LeftButton);
    QCOMPARE(stored(table, items).value(0).toInt(), 1);
    QCOMPARE(pictureOf(find<QLabel>("imgAns")), answerButton(1)->icon().pixmap(QSize(16, 16)).toImage());
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QCOMPARE(position(), QString::number(items - 1));
}

void tst_Questionnaire::endWithUnansweredItemsGoesToTheFirst()
{
    const int items = itemCount();
    TestParticipant participant;
    participant.fileNo = 12;
    participant.answers.assign(size_t(items), 4);
    for (int unanswered : {50, 4, 77})
        participant.answers[size_t(unanswered - 1)] = 0;
    startTest(participant);
    clickNextTimes(59);
    QCOMPARE(position(), QStringLiteral("60"));

    ScopedMessageAnswers answers({1});
    QTest::mouseClick(find<QPushButton>("btEnd"), Qt::LeftButton);
    QCOMPARE(answers.calls().size(), 1);
    const SysMessageCall call = answers.calls()[0];
    QCOMPARE(call.caption, QStringLiteral("آزمون ناتمام"));
    QCOMPARE(call.text, QStringLiteral("براي پايان دادن به آزمون جاري ميبايست به تمامي سوالات پاسخ دهيد. شما تعداد 3 "
                                       "سوال بدون پاسخ داريد!"));
    QCOMPARE(call.buttons, int(Buttons::Ok));
    QCOMPARE(call.icon, int(Icon::Notice));
    QCOMPARE(call.defaultButton, 1);

    QCOMPARE(position(), QStringLiteral("4"));
    QCOMPARE(find<QLabel>("lbQTotal")->text(), QString::number(items));
    const DataSet& questions = m_f->data().tbQuestions;
    QVERIFY(!questions.filtered());
    QVERIFY(questions.filter().isEmpty());
    QCOMPARE(questions.recordCount(), items);
    QVERIFY(!completed(12));

    // The begin flag is still set from removing the filter: Previous waits until something moved forward.
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QCOMPARE(position(), QStringLiteral("4"));
    QTest::mouseClick(find<QToolButton>("btNextQuestion"), Qt::LeftButton);
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QCOMPARE(position(), QStringLiteral("4"));
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QCOMPARE(position(), QStringLiteral("3"));
}

void tst_Questionnaire::retestOfAnUnfinishedTestResumesIt()
{
    const int items = itemCount();
    TestParticipant participant;
    participant.fileNo = 13;
    participant.answers.assign(size_t(items), 2);
    participant.answers[0] = 3;
    participant.answers[size_t(items - 1)] = 0;
    startTest(participant);
    // The earlier answer shows at once.
    QVERIFY(find<QLabel>("imgAns")->isVisible());
    QCOMPARE(pictureOf(find<QLabel>("imgAns")), answerButton(3)->icon().pixmap(QSize(16, 16)).toImage());
    QTest::mouseClick(find<QToolButton>("btNextQuestion"), Qt::LeftButton);
    QCOMPARE(pictureOf(find<QLabel>("imgAns")), answerButton(2)->icon().pixmap(QSize(16, 16)).toImage());

    {
        ScopedMessageAnswers answers({1});
        QTest::mouseClick(find<QPushButton>("btEnd"), Qt::LeftButton);
        QVERIFY(answers.texts().value(0).contains(QStringLiteral(" 1 ")));
    }
    QCOMPARE(position(), QString::number(items));
    QVERIFY(!find<QLabel>("imgAns")->isVisible());
    QVERIFY(!completed(13));
    QTest::mouseClick(answerButton(4), Qt::LeftButton);
    QVERIFY(!completed(13));
    ScopedMessageAnswers stop({1});
    QTest::mouseClick(find<QPushButton>("btEnd"), Qt::LeftButton);
    QVERIFY(completed(13));
}

void tst_Questionnaire::completedGoesToTheTestedParticipant()
{
    for (int fileNo : {20, 21}) {
        TestParticipant other;
        other.fileNo = fileNo;
        const std::unique_ptr<DbConnection> connection = m_f->db().connect();
        addParticipant(*connection, other);
    }
    TestParticipant participant;
    participant.fileNo = 22;
    participant.answers.assign(size_t(itemCount()), 5);
    startTest(participant);
    // A search window closed by its close box during the test leaves its filter and position behind.
    TableDataSet& profiles = m_f->data().tbProfiles;
    profiles.setFilter(QStringLiteral("FileNo=21"));
    profiles.setFiltered(true);

    ScopedMessageAnswers stop({1});
    QTest::mouseClick(find<QPushButton>("btEnd"), Qt::LeftButton);
    QVERIFY(completed(22));
    QVERIFY(!completed(21));
    QVERIFY(!completed(20));
}

void tst_Questionnaire::keyboardAnswers_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("answer");
    QTest::newRow("Latin 4") << int(Qt::Key_4) << QStringLiteral("4") << false << 4;
    QTest::newRow("Persian 2") << 0x06F2 << QStringLiteral("۲") << false << 2;
    QTest::newRow("Arabic-Indic 5") << 0x0665 << QStringLiteral("٥") << false << 5;
    QTest::newRow("keypad 1") << int(Qt::Key_1) << QStringLiteral("1") << true << 1;
    QTest::newRow("Enter answers the middle") << int(Qt::Key_Return) << QStringLiteral("\r") << false << 3;
    QTest::newRow("Space answers the middle") << int(Qt::Key_Space) << QStringLiteral(" ") << false << 3;
}

void tst_Questionnaire::keyboardAnswers()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, keypad);
    QFETCH(int, answer);
    TestParticipant participant;
    const QString table = startTest(participant);
    QCOMPARE(QApplication::focusWidget(), answerButton(3));
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(key), text,
                        keypad ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(stored(table, 1).value(0).toInt(), answer);
    QCOMPARE(position(), QStringLiteral("2"));
}

void tst_Questionnaire::heldKeyAnswersOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer");
    QTest::newRow("digit") << int(Qt::Key_5) << QStringLiteral("5") << 5;
    QTest::newRow("Enter") << int(Qt::Key_Return) << QStringLiteral("\r") << 3;
}

void tst_Questionnaire::heldKeyAnswersOnce()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, answer);
    TestParticipant participant;
    const QString table = startTest(participant);
    // The window system repeats a held key as further presses marked as repeats, then one release.
    for (int i = 0; i < 6; ++i) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, i > 0);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text, false);
    QApplication::sendEvent(QApplication::focusWidget(), &release);
    QCOMPARE(stored(table, 1).value(0).toInt(), answer);
    QCOMPARE(stored(table, 2).value(0).toInt(), 0);
    QCOMPARE(position(), QStringLiteral("2"));
}

void tst_Questionnaire::answerPictureIsWrittenToTheWorkingFolder()
{
    const QString picture = QDir(m_f->db().dir()).filePath(QStringLiteral("temp.bmp"));
    TestParticipant participant;
    startTest(participant);
    QVERIFY(!QFile::exists(picture));
    QTest::mouseClick(answerButton(4), Qt::LeftButton);
    QVERIFY(!QFile::exists(picture)); // the next item is unanswered: nothing to show
    QTest::mouseClick(find<QToolButton>("btPrevQuestion"), Qt::LeftButton);
    QVERIFY(QFile::exists(picture));
    // The file holds the picture of the answer given ("agree"), the one its button shows, and no other answer's.
    const QImage written = QImage(picture, "BMP").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(written.size(), QSize(16, 16));
    auto buttonPicture = [&](int value) {
        return answerButton(value)->icon().pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_RGB32);
    };
    QCOMPARE(written, buttonPicture(4));
    for (int other : {1, 2, 3, 5})
        QVERIFY2(written != buttonPicture(other), qPrintable(QString::number(other)));
    QCOMPARE(pictureOf(find<QLabel>("imgAns")).convertToFormat(QImage::Format_RGB32), written);
}

void tst_Questionnaire::unwritablePictureIsReportedAfterTheAnswerIsStored()
{
    TestParticipant participant;
    participant.answers = {0, 3};
    const QString table = startTest(participant);
    QFile folder(m_f->db().dir());
    const QFileDevice::Permissions permissions = folder.permissions();
    folder.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // The administrator writes into read-only folders; a folder standing where the file goes stops everyone.
    QFile probe(QDir(m_f->db().dir()).filePath(QStringLiteral("probe")));
    const bool folderStopsWriting = !probe.open(QIODevice::WriteOnly);
    if (!folderStopsWriting) {
        probe.remove();
        QVERIFY(QDir(m_f->db().dir()).mkdir(QStringLiteral("temp.bmp")));
    }

    ScopedMessageAnswers answers({1});
    QTest::mouseClick(answerButton(5), Qt::LeftButton);
    folder.setPermissions(permissions);
    QCOMPARE(stored(table, 1).value(0).toInt(), 5);
    QCOMPARE(answers.calls().size(), 1);
    QCOMPARE(answers.calls()[0].caption, QStringLiteral("خطا"));
    QVERIFY2(answers.calls()[0].text.contains(QStringLiteral("temp.bmp")), qPrintable(answers.calls()[0].text));
    // The second item shows, but its indicator was not updated.
    QCOMPARE(position(), QStringLiteral("2"));
    QVERIFY(find<QLabel>("imgAns")->pixmap().isNull());
}

void tst_Questionnaire::killedProgramKeepsItsAnswer()
{
    TestParticipant participant;
    participant.fileNo = 44;
    QString table;
    {
        const std::unique_ptr<DbConnection> other = m_f->db().connect();
        table = addParticipant(*other, participant);
    }
    QProcess child;
    child.start(QStringLiteral(TESTWIN_CHILD),
                {QStringLiteral("answer"), m_f->db().dir(), QStringLiteral("44"), QStringLiteral("2")});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    while (!said.contains("answered") && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    QVERIFY2(said.contains("answered"), child.readAllStandardError().constData());
    child.kill(); // SIGKILL: no handler, no clean-up
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(stored(table, 1).value(0).toInt(), 2);
}

void tst_Questionnaire::answersWhileAnotherProgramRegisters()
{
    if (TempRavlenDb::onServer())
        QSKIP("re-reading the schema after another program's registration is the database file's own cost");
    {
        // Enough participants that reading the schema afresh takes a while, so the other program's next
        // registration often lands while this program is still reading it.
        const std::unique_ptr<DbConnection> other = m_f->db().connect();
        other->inTransaction(QStringLiteral("Registering the earlier participants"), [&] {
            TestParticipant earlier;
            for (earlier.fileNo = 1000; earlier.fileNo < 1300; ++earlier.fileNo)
                addParticipant(*other, earlier);
        });
    }
    TestParticipant participant;
    participant.fileNo = 45;
    const QString table = startTest(participant);
    QVERIFY(find<QGroupBox>("grpQuestion")->isVisible());

    QProcess registering;
    registering.start(QStringLiteral(TESTWIN_CHILD),
                      {QStringLiteral("keep-registering"), m_f->db().dir(), QStringLiteral("5000")});
    QVERIFY(registering.waitForStarted());
    QByteArray said;
    while (!said.contains("registered") && registering.waitForReadyRead(30000))
        said += registering.readAllStandardOutput();
    QVERIFY2(said.contains("registered"), registering.readAllStandardError().constData());

    const QString busy =
        userSentence(DataError::Kind::Busy, QStringLiteral("database file '%1'").arg(m_f->db().path()));
    const int items = itemCount();
    int busyAnswers = 0;
    QVariantList expected;
    for (int item = 1; item <= items; ++item) {
        const int answer = 1 + item % 5;
        for (int attempt = 1;; ++attempt) {
            QVERIFY2(registering.state() == QProcess::Running, registering.readAllStandardError().constData());
            ScopedMessageAnswers report({1});
            clickButton(answerButton(answer));
            const QList<SysMessageCall> calls = report.calls();
            if (calls.isEmpty())
                break;
            // Only the busy sentence, the item still on screen and its answer not stored; the next click stores it.
            QCOMPARE(calls.size(), 1);
            QVERIFY2(calls[0].text.startsWith(busy), qPrintable(calls[0].text));
            QCOMPARE(position(), QString::number(item));
            QCOMPARE(stored(table, item).value(0).toInt(), 0);
            ++busyAnswers;
            QVERIFY2(attempt < 5, "the answer was refused five times running");
        }
        expected << answer;
        QCOMPARE(position(), QString::number(std::min(item + 1, items)));
    }
    registering.kill();
    QVERIFY(registering.waitForFinished());
    qInfo("%d of %d answers met the busy sentence", busyAnswers, items);
    QCOMPARE(m_f->column(QStringLiteral("SELECT Answer FROM %1 ORDER BY Row").arg(table)), expected);
    QVERIFY(m_f->value(QStringLiteral("SELECT count(*) FROM Profiles WHERE FileNo >= 5000")).toInt() > 1);
}

void tst_Questionnaire::screenshots()
{
    TestParticipant participant;
    participant.answers.assign(size_t(itemCount()), 0);
    participant.answers[0] = 4;
    participant.answers[2] = 2;
    startTest(participant);
    const QImage window = m_f->window()->grab().toImage();
    QVERIFY(!saveScreenshot(window, QStringLiteral("testwin-question-panel")).isEmpty());
    // The first item's question whole in its box, its number and the count in maroon, and the answer given
    // before ("agree") as its blue picture.
    const auto* question = find<QLabel>("lbQuestion");
    QVERIFY(!question->text().isEmpty());
    for (const auto& [name, text] : {std::pair{"lbQuestion", question->text()}, std::pair{"lbQNo", QStringLiteral("1")},
                                     std::pair{"lbQTotal", QString::number(itemCount())}}) {
        const QString fault = boxTextFault(window, m_f->window(), find<QWidget>(name), text);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
    auto areaOf = [&](const char* name) { return partOf(window, m_f->window(), find<QWidget>(name)); };
    for (const char* number : {"lbQNo", "lbQTotal"})
        QVERIFY2(countPixels(areaOf(number), closeTo(QColor(128, 0, 0), 50)) > 10, number);
    QCOMPARE(colourFamily(areaOf("imgAns"), 30), QStringLiteral("blue"));

    driveModal([&] { QTest::mouseClick(find<QPushButton>("btEnd"), Qt::LeftButton); },
               [&](QWidget* message) {
                   QVERIFY(!saveScreenshot(message, QStringLiteral("testwin-unfinished-test")).isEmpty());
                   const QString fault = messagePictureFault(message, QStringLiteral("amber"));
                   QTest::keyClick(message->focusWidget(), Qt::Key_Return);
                   QVERIFY2(fault.isEmpty(), qPrintable(fault));
               });
}

QTEST_MAIN(tst_Questionnaire)
#include "tst_Questionnaire.moc"
