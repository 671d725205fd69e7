#include "calendar/Clock.h"
#include "calendar/ShDateUtils.h"
#include "data/DbConnection.h"
#include "tests/support/FixedClock.h"
#include "tests/support/MessageSeam.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Participants.h"
#include "tests/support/TempRavlenDb.h"
#include "tools/ItemStore.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

QList<QVariantList> rows(DbConnection& db, const QString& sql)
{
    QSqlQuery query(db.database());
    if (!query.exec(sql))
        return {};
    QList<QVariantList> out;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        out << row;
    }
    return out;
}

} // namespace

// The support libraries are what every window suite stands on: a fault here hides faults there.
class tst_TestSupport : public QObject
{
    Q_OBJECT

private slots:
    void databaseIsTheCreatedOne();
    void participantAnswersAndScores();
    void fixedClockStandsStillAndGoesBack();
    void driveModalAnswersTheDialog();
    void driveModalFailsInsteadOfHanging();
    void popupAnswererPressesTheButton();
};

void tst_TestSupport::databaseIsTheCreatedOne()
{
    TempRavlenDb file;
    QVERIFY(QFileInfo::exists(file.path()));
    QCOMPARE(QFileInfo(file.path()).fileName(), QStringLiteral("Ravlen.mdb"));
    auto db = file.connect();
    QCOMPARE(rows(*db, QStringLiteral("SELECT Count(*) FROM Questions"))[0][0].toInt(),
             ItemStore::bundledItems().size());
    QCOMPARE(rows(*db, QStringLiteral("SELECT Count(*) FROM Profiles"))[0][0].toInt(), 0);
}

void tst_TestSupport::participantAnswersAndScores()
{
    TempRavlenDb file;
    auto db = file.connect();
    // Find a reverse-scored item so both scoring directions are seen.
    const auto scoring = rows(*db, QStringLiteral("SELECT Scoring FROM Questions ORDER BY Row"));
    const qsizetype reversed =
        std::find_if(scoring.begin(), scoring.end(), [](const QVariantList& r) { return !r[0].toBool(); }) -
        scoring.begin();
    QVERIFY(reversed > 0 && reversed < scoring.size());
    std::vector<int> answers(size_t(reversed + 1), 0);
    answers[0] = 4;
    answers[size_t(reversed)] = 2;

    TestParticipant p;
    p.fileNo = 17;
    p.firstName = QStringLiteral("مريم");
    p.gender = 0;
    p.answers = answers;
    const QString table = addParticipant(*db, p);
    QVERIFY(QRegularExpression(QStringLiteral("^[A-Y]{15}$")).match(table).hasMatch());

    const auto profile = rows(*db, QStringLiteral("SELECT FileNo, FName, Gender, QTable, Completed FROM Profiles"));
    QCOMPARE(profile.size(), 1);
    QCOMPARE(profile[0], (QVariantList{17, QStringLiteral("مريم"), 0, table, 0}));

    const auto items = rows(*db, QStringLiteral("SELECT Answer, Score FROM %1 ORDER BY Row").arg(table));
    QCOMPARE(items.size(), scoring.size());
    QCOMPARE(items[0], (QVariantList{4.0, scoring[0][0].toBool() ? 4.0 : 2.0}));
    QCOMPARE(items[reversed], (QVariantList{2.0, 4.0}));
    QCOMPARE(items[reversed + 1], (QVariantList{0.0, 0.0}));
    QCOMPARE(items.last(), (QVariantList{0.0, 0.0}));
}

void tst_TestSupport::fixedClockStandsStillAndGoesBack()
{
    {
        ScopedFixedClock clock(QDateTime(QDate(2025, 10, 7), QTime(10, 30)));
        Word y = 0, m = 0, d = 0;
        ShDecodeDate(Clock::today(), y, m, d);
        QCOMPARE((QList<int>{y, m, d}), (QList<int>{1404, 7, 15}));
        QCOMPARE(Clock::now() - Clock::today(), 10.5 / 24);
    }
    QVERIFY(qAbs(Clock::now() - (QDate(1899, 12, 30).daysTo(QDate::currentDate()) +
                                 QTime::currentTime().msecsSinceStartOfDay() / 86400000.0)) < 0.01);
}

void tst_TestSupport::driveModalAnswersTheDialog()
{
    QDialog dialog;
    auto* ok = new QPushButton(QStringLiteral("قبول"), &dialog);
    ok->setObjectName(QStringLiteral("btOk"));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    int result = -1;
    driveModal([&] { result = dialog.exec(); },
               [](QWidget* modal) { QTest::mouseClick(modal->findChild<QPushButton*>("btOk"), Qt::LeftButton); });
    QCOMPARE(result, int(QDialog::Accepted));
}

void tst_TestSupport::driveModalFailsInsteadOfHanging()
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(RAVLEN_MODAL_PROBE), {});
    QVERIFY(probe.waitForFinished(20000));
    const QString out = QString::fromUtf8(probe.readAllStandardOutput());
    QVERIFY2(
        out.contains(QStringLiteral("FAIL!  : modal_probe::leftOpen() driveModal: the modal window was still open")),
        qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("FAIL!  : modal_probe::neverOpened() driveModal: no modal window was opened")),
             qPrintable(out));
    QCOMPARE(probe.exitCode(), 2);
}

void tst_TestSupport::popupAnswererPressesTheButton()
{
    ScopedMessageAnswers none;
    MessagePopupAnswerer answerer({2, 1});
    QCOMPARE(SysMessage(QStringLiteral("خروج از برنامه"), QStringLiteral("از برنامه خارج شويم؟"), Buttons::YesNo,
                        Icon::Question, DefaultButton::Second),
             2);
    QCOMPARE(SysMessage(QStringLiteral("خطا"), QStringLiteral("R&D"), Buttons::Ok, Icon::Danger, 1), 1);
    QCOMPARE(answerer.count(), 2);
    QCOMPARE(answerer.shown()[0].caption, QStringLiteral("خروج از برنامه"));
    QCOMPARE(answerer.shown()[1].text, QStringLiteral("R&D"));
    QCOMPARE(none.calls().size(), 2);
}

QTEST_MAIN(tst_TestSupport)
#include "tst_TestSupport.moc"
