// The results export on a real database file: a small item bank of the clinic's own (so nothing rests on the
// bundled 90 items), participants whose answers give known scores, and each format read back.

#include "data/ProfileTexts.h"
#include "tests/support/Participants.h"
#include "tests/support/TempRavlenDb.h"
#include "tools/ItemStore.h"
#include "tools/ResultExport.h"
#include "tests/support/ToolProcess.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <readstat.h>

using namespace ResultExport;

namespace {

// Scale "کنترل" (rows 1-4, the third reverse-scored) scored 5, 4, 3, 5 gives 85; scale "آگاهي" (rows 5-7)
// scored 1, 2, 2 gives 33.33. The first scale by row sorts after the second, so S1/S2 show row order.
QList<BankItem> clinicBank()
{
    const QString control = QStringLiteral("کنترل"), awareness = QStringLiteral("آگاهي");
    const QString empathy = QStringLiteral("همدلي"), perception = QStringLiteral("ادراک"),
                  regulation = QStringLiteral("تنظيم");
    return {{control, empathy, true, QStringLiteral("اول")},
            {control, perception, true, QStringLiteral("دوم")},
            {control, perception, false, QStringLiteral("سوم, با ويرگول")},
            {control, empathy, true, QStringLiteral("چهارم")},
            {awareness, regulation, true, QStringLiteral("پنجم")},
            {awareness, regulation, true, QStringLiteral("ششم")},
            {awareness, regulation, true, QStringLiteral("=1+1")}};
}

const std::vector<int> kFinishedAnswers{5, 4, 3, 5, 1, 2, 2};

// File 7 finished with a name a spreadsheet would run as a formula; file 3 started only, with a date text the
// calendar cannot read and a grade outside the list.
class ClinicDb
{
public:
    ClinicDb()
    {
        ItemStore::replaceItems(m_db.path(), clinicBank());
        ParticipantSpec finished = finishedSpec(7);
        finished.firstName = QStringLiteral("=HYPERLINK(\"x\")");
        finished.gender = 0;
        finished.grade = 4;
        m_finishedTable = addParticipant(*m_db.connect(), finished);
        ParticipantSpec started;
        started.fileNo = 3;
        started.date = QStringLiteral("1404/13/40");
        started.grade = 9;
        started.answers = {2, 0, 0, 0, 0, 0, 0};
        addParticipant(*m_db.connect(), started);
    }
    QString path() const { return m_db.path(); }
    QString dir() const { return m_db.dir(); }
    void addFinished(int fileNo) { addParticipant(*m_db.connect(), finishedSpec(fileNo)); }
    void dropTableOf(const QString& table) { m_db.connect()->execute(QStringLiteral("DROP TABLE ") + table); }
    QString finishedTable() const { return m_finishedTable; }

private:
    static ParticipantSpec finishedSpec(int fileNo)
    {
        ParticipantSpec spec;
        spec.fileNo = fileNo;
        spec.completed = true;
        spec.answers = kFinishedAnswers;
        return spec;
    }

    TempRavlenDb m_db;
    QString m_finishedTable;
};

QString line(const QStringList& cells)
{
    return cells.join(QLatin1Char(',')) + QLatin1Char('\n');
}

const QString kHeader = QStringLiteral("FileNo,Date,DateISO,FName,LName,Age,Gender,GenderText,Grade,GradeText,"
                                       "Completed,S1,S2,SS1,SS2,SS3");
const QString kLabels = QStringLiteral(
    "شماره پرونده,تاريخ آزمون,تاريخ آزمون (ميلادي),نام,نام خانوادگي,سن,جنسيت,جنسيت,مدرک تحصيلي,مدرک تحصيلي,"
    "آزمون کامل شده (1 بله، 0 خير),کنترل,آگاهي,ادراک,تنظيم,همدلي");
const QString kFinished = QStringLiteral(
    "7,1404/07/15,2025-10-07,\"'=HYPERLINK(\"\"x\"\")\",رضايي,30,0,مونث,4,فوق ليسانس,1,85,33.33,70,33.33,100");
const QString kStarted = QStringLiteral("3,1404/13/40,,علي,رضايي,30,1,مذکر,9,,0,,,,,");
const QString kItemNames = QStringLiteral(",A1,A2,A3,A4,A5,A6,A7,R1,R2,R3,R4,R5,R6,R7");
const QString kItemLabels =
    QStringLiteral(",اول,دوم,\"سوم, با ويرگول\",چهارم,پنجم,ششم,'=1+1") +
    QStringLiteral(",نمره مستقيم (برابر پاسخ): اول,نمره مستقيم (برابر پاسخ): دوم,\"نمره معکوس (6 منهاي پاسخ): سوم, با "
                   "ويرگول\",نمره مستقيم (برابر پاسخ): چهارم,نمره مستقيم (برابر پاسخ): پنجم,نمره مستقيم (برابر پاسخ): "
                   "ششم,نمره مستقيم (برابر پاسخ): =1+1");

using CommandResult = ToolResult;

CommandResult ravlenDb(const QStringList& args)
{
    return runTool(QStringLiteral(RAVLEN_DB_EXE), args);
}

// ---- a .sav file read back with ReadStat's own parser ----

struct SavContents
{
    QStringList names;
    QMap<QString, QString> labels;
    QMap<QString, QString> labelSetOf;             // variable name -> value label set
    QMap<QString, QMap<int, QString>> valueLabels; // set -> code -> text
    QMap<QString, QList<QVariant>> values;         // variable -> values by row; null = system-missing
    QMap<QString, QList<double>> declaredMissing;
};

int onVariable(int, readstat_variable_t* variable, const char* labelSet, void* context)
{
    auto* sav = static_cast<SavContents*>(context);
    const QString name = QString::fromUtf8(readstat_variable_get_name(variable));
    sav->names.append(name);
    sav->labels.insert(name, QString::fromUtf8(readstat_variable_get_label(variable)));
    if (labelSet)
        sav->labelSetOf.insert(name, QString::fromUtf8(labelSet));
    for (int i = 0; i < readstat_variable_get_missing_ranges_count(variable); ++i)
        sav->declaredMissing[name].append(readstat_double_value(readstat_variable_get_missing_range_lo(variable, i)));
    return READSTAT_HANDLER_OK;
}

int onValue(int, readstat_variable_t* variable, readstat_value_t value, void* context)
{
    auto* sav = static_cast<SavContents*>(context);
    QVariant v;
    if (readstat_value_is_system_missing(value))
        v = QVariant();
    else if (readstat_value_type(value) == READSTAT_TYPE_STRING)
        v = QString::fromUtf8(readstat_string_value(value));
    else
        v = readstat_double_value(value);
    sav->values[QString::fromUtf8(readstat_variable_get_name(variable))].append(v);
    return READSTAT_HANDLER_OK;
}

int onValueLabel(const char* set, readstat_value_t value, const char* label, void* context)
{
    auto* sav = static_cast<SavContents*>(context);
    sav->valueLabels[QString::fromUtf8(set)].insert(int(readstat_double_value(value)), QString::fromUtf8(label));
    return READSTAT_HANDLER_OK;
}

bool readSav(const QString& fileName, SavContents* sav)
{
    readstat_parser_t* parser = readstat_parser_init();
    readstat_set_variable_handler(parser, onVariable);
    readstat_set_value_handler(parser, onValue);
    readstat_set_value_label_handler(parser, onValueLabel);
    const readstat_error_t error = readstat_parse_sav(parser, QFile::encodeName(fileName).constData(), sav);
    readstat_parser_free(parser);
    return error == READSTAT_OK;
}

QString unzipped(const QString& archive, const QString& member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    unzip.waitForFinished(30000);
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

} // namespace

class tst_ResultExport : public QObject
{
    Q_OBJECT

private slots:
    void csvWhole_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("items");
        QTest::addColumn<bool>("bom");
        QTest::addColumn<bool>("labels");
        QTest::addColumn<QString>("expected");
        // Decoding would swallow the mark, so the bytes are compared.
        QTest::newRow("completed only, no label row") << false << false << false << false
                                                      << line({kHeader}) + line({kFinished});
        QTest::newRow("--labels") << false << false << false << true
                                  << line({kHeader}) + line({kLabels}) + line({kFinished});
        QTest::newRow("byte-order mark") << false << false << true << false << line({kHeader}) + line({kFinished});
        QTest::newRow("--all: the unfinished test has no scores")
            << true << false << false << false << line({kHeader}) + line({kStarted}) + line({kFinished});
        QTest::newRow("--all --items --labels: answers as stored, in Row order; scoring in the label")
            << true << true << false << true
            << line({kHeader + kItemNames}) + line({kLabels + kItemLabels}) +
                   line({kStarted + QStringLiteral(",2,0,0,0,0,0,0,2,0,0,0,0,0,0")}) +
                   line({kFinished + QStringLiteral(",5,4,3,5,1,2,2,5,4,3,5,1,2,2")});
    }

    void csvWhole()
    {
        QFETCH(bool, all);
        QFETCH(bool, items);
        QFETCH(bool, bom);
        QFETCH(bool, labels);
        QFETCH(QString, expected);
        ClinicDb db;
        const Options options{all, items, bom, labels};
        QStringList skipped;
        const Table table = collect(db.path(), options, [&](const QString& m) { skipped << m; });
        QCOMPARE(skipped, QStringList());
        const QByteArray mark = bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        QCOMPARE(csvText(table, bom, labels), mark + expected.toUtf8());
    }

    // SPSS gets the codes with their texts as value labels, the bank's texts as variable labels, the scores as
    // numbers, the unfinished test's scores system-missing and 0 declared missing for answers.
    void savReadBack()
    {
        ClinicDb db;
        const QString out = db.dir() + QStringLiteral("/results.sav");
        const Options options{.all = true, .items = true};
        writeNewFile(collect(db.path(), options, {}), out, Format::Sav, options);
        SavContents sav;
        QVERIFY(readSav(out, &sav));

        QCOMPARE(sav.names.mid(0, 11), (QStringList{"FileNo", "Date", "DateISO", "FName", "LName", "Age", "Gender",
                                                    "Grade", "Completed", "S1", "S2"}));
        QCOMPARE(sav.names.size(), 9 + 2 + 3 + 7 + 7);
        QCOMPARE(sav.labels["S1"], QStringLiteral("کنترل"));
        QCOMPARE(sav.labels["SS3"], QStringLiteral("همدلي"));
        QCOMPARE(sav.labels["A7"], QStringLiteral("=1+1"));
        QCOMPARE(sav.labels["R2"], QStringLiteral("نمره مستقيم (برابر پاسخ): دوم"));
        QCOMPARE(sav.labels["R3"], QStringLiteral("نمره معکوس (6 منهاي پاسخ): سوم, با ويرگول"));
        // Every variable is labelled in Persian.
        for (const QString& name : sav.names)
            QVERIFY2(sav.labels[name].contains(QRegularExpression(QStringLiteral("[\\x{0600}-\\x{06FF}]"))) ||
                         name == QLatin1String("A7"),
                     qPrintable(name + QLatin1Char(' ') + sav.labels[name]));
        // Every answer carries the five answer texts; the item scores carry none.
        for (const char* name : {"A1", "A4", "A7"})
            QCOMPARE(sav.valueLabels.value(sav.labelSetOf.value(name)),
                     (QMap<int, QString>{{1, QStringLiteral("کلاً مخالفم")},
                                         {2, QStringLiteral("مخالفم")},
                                         {3, QStringLiteral("تا حدودي")},
                                         {4, QStringLiteral("موافقم")},
                                         {5, QStringLiteral("کاملاً موافقم")}}));
        QVERIFY(!sav.labelSetOf.contains("R1"));

        QCOMPARE(sav.values["FileNo"], (QList<QVariant>{3.0, 7.0}));
        QCOMPARE(sav.values["FName"][1], QVariant(QStringLiteral("=HYPERLINK(\"x\")")));
        QCOMPARE(sav.values["S1"], (QList<QVariant>{QVariant(), 85.0}));
        QCOMPARE(sav.values["S2"], (QList<QVariant>{QVariant(), 33.33}));
        QCOMPARE(sav.values["SS2"][1], QVariant(33.33));
        QCOMPARE(sav.values["A2"], (QList<QVariant>{0.0, 4.0}));
        QCOMPARE(sav.values["R3"], (QList<QVariant>{0.0, 3.0}));
        QCOMPARE(sav.declaredMissing["A1"], QList<double>{0.0});
        QCOMPARE(sav.declaredMissing["R7"], QList<double>{0.0});
        QVERIFY(!sav.declaredMissing.contains("S1"));

        const QMap<int, QString> gender = sav.valueLabels.value(sav.labelSetOf.value("Gender"));
        QCOMPARE(gender, (QMap<int, QString>{{0, QStringLiteral("مونث")}, {1, QStringLiteral("مذکر")}}));
        const QMap<int, QString> grade = sav.valueLabels.value(sav.labelSetOf.value("Grade"));
        QCOMPARE(grade.size(), 8);
        QCOMPARE(grade[4], QStringLiteral("فوق ليسانس"));
        QCOMPARE(grade[7], QStringLiteral("مدارک حوزه علميه"));
    }

    // A question longer than a variable label holds is cut at a whole letter, so the label stays readable.
    void savLongLabelCutWhole()
    {
        const QString question = QStringLiteral("x") + QStringLiteral("ادراک ").repeated(60);
        Table table;
        table.columns.append(Column{QStringLiteral("A1"), question, true, Measure::Ordinal, {}, 0.0});
        table.rows.push_back({3.0});
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("long.sav"));
        writeNewFile(table, out, Format::Sav, {});
        SavContents sav;
        QVERIFY(readSav(out, &sav));
        const QString label = sav.labels["A1"];
        QVERIFY(label.toUtf8().size() <= 255);
        QVERIFY(label.toUtf8().size() >= 250);
        QVERIFY(question.startsWith(label));
        QCOMPARE(sav.values["A1"], QList<QVariant>{3.0});
    }

    // The spreadsheet is right to left with two frozen header rows, scores as numbers, texts as shared strings.
    void xlsxReadBack()
    {
        ClinicDb db;
        const QString out = db.dir() + QStringLiteral("/results.xlsx");
        writeNewFile(collect(db.path(), {}, {}), out, Format::Xlsx, {});
        const QString sheet = unzipped(out, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY2(sheet.contains(QStringLiteral("rightToLeft=\"1\"")), qPrintable(sheet.left(600)));
        QVERIFY(sheet.contains(QStringLiteral("ySplit=\"2\"")));
        QVERIFY(sheet.contains(QStringLiteral("state=\"frozen\"")));
        // Row 3 holds file 7: S1 (column L) 85, S2 (column M) 33.33.
        QVERIFY2(sheet.contains(QStringLiteral("<c r=\"L3\" s=\"3\"><v>85</v></c>")) ||
                     sheet.contains(QStringLiteral("<c r=\"L3\" s=\"2\"><v>85</v></c>")),
                 qPrintable(sheet));
        QVERIFY(sheet.contains(QStringLiteral("r=\"M3\"")));
        QVERIFY(sheet.contains(QStringLiteral("<v>33.33</v>")));
        const QString strings = unzipped(out, QStringLiteral("xl/sharedStrings.xml"));
        for (const char* text : {"کنترل", "آگاهي", "مونث", "فوق ليسانس", "=HYPERLINK("})
            QVERIFY2(strings.contains(QString::fromUtf8(text)), text);
        QVERIFY2(!sheet.contains(QStringLiteral("<f>")), "a text cell became a formula");
        const QString styles = unzipped(out, QStringLiteral("xl/styles.xml"));
        QVERIFY(styles.contains(QStringLiteral("formatCode=\"0.00\"")));
        QVERIFY(styles.contains(QStringLiteral("<b/>")));
    }

    // The command end to end: a participant without a question table is named and counted, the rest written,
    // owner-only, and the database file (read-only here) is left exactly as it was.
    void commandSkipsMissingTable()
    {
        ClinicDb db;
        db.addFinished(12);
        db.dropTableOf(db.finishedTable());
        QVERIFY(QFile::setPermissions(db.path(), QFile::ReadOwner));
        const QByteArray before = fileBytes(db.path());
        const QString out = db.dir() + QStringLiteral("/results.csv");

        const CommandResult r = ravlenDb({QStringLiteral("export-results"), db.path(), out});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QStringLiteral("file number 7 skipped")), qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("Wrote 1 participant(s)")) && r.out.contains(QStringLiteral("1 skipped")),
                 qPrintable(r.out));
        const QStringList lines = QString::fromUtf8(fileBytes(out)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith(QStringLiteral("12,")));
        QVERIFY(lines[1].endsWith(QStringLiteral(",85,33.33,70,33.33,100")));
        QCOMPARE(QFile::permissions(out) & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFile::Permissions());
        QCOMPARE(fileBytes(db.path()), before);
    }

    // The command writes the label row only when asked, so a plain CSV imports with numeric columns.
    void commandLabelRowOnlyWhenAsked_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("headerRows");
        QTest::newRow("plain") << QStringList{} << 1;
        QTest::newRow("--labels") << QStringList{QStringLiteral("--labels")} << 2;
    }

    void commandLabelRowOnlyWhenAsked()
    {
        QFETCH(QStringList, options);
        QFETCH(int, headerRows);
        ClinicDb db;
        const QString out = db.dir() + QStringLiteral("/results.csv");
        const CommandResult r = ravlenDb(QStringList{QStringLiteral("export-results"), db.path(), out} + options);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList lines = QString::fromUtf8(fileBytes(out)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), headerRows + 1);
        QCOMPARE(lines.first(), kHeader);
        QCOMPARE(lines.size() > 2 ? lines[1] : QString(), headerRows == 2 ? kLabels : QString());
        QVERIFY(lines.last().startsWith(QStringLiteral("7,")));
    }

    // The labels are the texts the counsellor reads in the test window: its captions and answer buttons.
    void labelsAreTheWindowsTexts()
    {
        QFile form(QStringLiteral(RAVLEN_SOURCE_DIR "/testing/NewTestForm.ui"));
        QVERIFY(form.open(QIODevice::ReadOnly));
        const QString ui = QString::fromUtf8(form.readAll());
        auto textOf = [&](const QString& widget) {
            const QRegularExpression text(QStringLiteral("name=\"%1\">.*?<property name=\"text\"><string>([^<]*)")
                                              .arg(widget),
                                          QRegularExpression::DotMatchesEverythingOption);
            return text.match(ui).captured(1);
        };
        const ProfileCaptions& caption = profileCaptions();
        const QList<QPair<QString, QString>> captions{
            {QStringLiteral("labelFileNo"), caption.fileNo}, {QStringLiteral("labelDate"), caption.date},
            {QStringLiteral("labelFName"), caption.firstName}, {QStringLiteral("labelLName"), caption.lastName},
            {QStringLiteral("labelAge"), caption.age},         {QStringLiteral("labelGender"), caption.gender},
            {QStringLiteral("labelGrade"), caption.grade}};
        for (const auto& [widget, text] : captions)
            QCOMPARE(textOf(widget), text + QLatin1Char(':'));
        const QStringList buttons{QStringLiteral("btCDisagree"), QStringLiteral("btDisagree"), QStringLiteral("btSoSo"),
                                  QStringLiteral("btAgree"), QStringLiteral("btCAgree")};
        QStringList buttonTexts;
        for (const QString& button : buttons)
            buttonTexts.append(textOf(button));
        QCOMPARE(answerTexts(), buttonTexts);
    }

    // PSPP, an outside reader of SPSS files, shows the same dictionary: Persian variable labels and the answer
    // texts as value labels.
    void psppReadsTheDictionary()
    {
        const QString pspp = QStandardPaths::findExecutable(QStringLiteral("pspp"));
        if (pspp.isEmpty())
            QSKIP("pspp is not installed (apt-get install pspp)");
        ClinicDb db;
        const QString out = db.dir() + QStringLiteral("/results.sav");
        const Options options{.all = true, .items = true};
        writeNewFile(collect(db.path(), options, {}), out, Format::Sav, options);
        const QString syntax = db.dir() + QStringLiteral("/dictionary.sps");
        {
            QFile file(syntax);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QStringLiteral("GET FILE='%1'.\nDISPLAY DICTIONARY.\n").arg(out).toUtf8());
        }
        // As CSV, so that no label is wrapped across the lines of a drawn table.
        const QString listing = db.dir() + QStringLiteral("/dictionary.csv");
        QProcess run;
        run.start(pspp, {QStringLiteral("-O"), QStringLiteral("format=csv"), QStringLiteral("-o"), listing, syntax});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        const QString dictionary = QString::fromUtf8(fileBytes(listing));
        for (const QString& text : {profileCaptions().fileNo, profileCaptions().grade, answerTexts().first(),
                                    answerTexts().last(), QStringLiteral("نمره معکوس (6 منهاي پاسخ): سوم, با ويرگول")})
            QVERIFY2(dictionary.contains(text), qPrintable(text + QLatin1Char('\n') + dictionary.left(3000)));
        QVERIFY2(!dictionary.contains(QLatin1String("File number")), qPrintable(dictionary.left(3000)));
    }

    void commandRefusesExistingOut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("csv") << QStringLiteral("old.csv");
        QTest::newRow("xlsx") << QStringLiteral("old.xlsx");
        QTest::newRow("sav") << QStringLiteral("old.SAV");
    }

    void commandRefusesExistingOut()
    {
        QFETCH(QString, name);
        ClinicDb db;
        const QString out = db.dir() + QLatin1Char('/') + name;
        {
            QFile file(out);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keep me");
        }
        const CommandResult r = ravlenDb({QStringLiteral("export-results"), db.path(), out, QStringLiteral("--all")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("already exists")), qPrintable(r.err));
        QCOMPARE(fileBytes(out), QByteArray("keep me"));
    }

    void commandLineErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown extension") << QStringList{"db", "out.txt"} << QStringLiteral(".csv, .xlsx or .sav");
        QTest::newRow("unknown option") << QStringList{"db", "out.csv", "--everything"}
                                        << QStringLiteral("no option '--everything'");
        QTest::newRow("one file") << QStringList{"out.csv"} << QStringLiteral("takes two files");
    }

    void commandLineErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const CommandResult r = ravlenDb(QStringList{QStringLiteral("export-results")} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(tst_ResultExport)
#include "tst_ResultExport.moc"
