#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/DataGridModel.h"
#include "tests/data/TempDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

class tst_DataModule : public QObject
{
    Q_OBJECT

private slots:
    void calculatedFields_data();
    void calculatedFields();
    void calculatedFieldsFollowAPost();
    void connectFromWorkingDirectory_data();
    void connectFromWorkingDirectory();
    void reconnectClosesEverything();
    void questionTableNameIsChecked_data();
    void questionTableNameIsChecked();
    void masterListIsNeverOpenedAsQuestionTable();
    void commandRunsOneStatement_data();
    void commandRunsOneStatement();
    void gridShowsChosenColumns();
    void gridFollowsTheCursorBothWays();
    void gridStaysWhereAFailedMoveLeavesTheCursor();
    void gridRefreshesOnFilterAndValues();
};

void tst_DataModule::calculatedFields_data()
{
    QTest::addColumn<QString>("fname");
    QTest::addColumn<QString>("lname");
    QTest::addColumn<QVariant>("gender");
    QTest::addColumn<QVariant>("grade");
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("genderText");
    QTest::addColumn<QString>("gradeText");
    QTest::newRow("female") << "مريم"
                            << "کريمي" << QVariant(0) << QVariant(0) << "خانم مريم کريمي"
                            << "مونث"
                            << "زير ديپلم";
    QTest::newRow("male") << "علي"
                          << "رضايي" << QVariant(1) << QVariant(7) << "آقاي علي رضايي"
                          << "مذکر"
                          << "مدارک حوزه علميه";
    QTest::newRow("other gender code is male") << "a"
                                               << "b" << QVariant(2) << QVariant(3) << "آقاي a b"
                                               << "مذکر"
                                               << "ليسانس";
    QTest::newRow("names trimmed, one blank between") << "  علي "
                                                      << " رضايي  " << QVariant(1) << QVariant(1) << "آقاي علي رضايي"
                                                      << "مذکر"
                                                      << "ديپلم";
    QTest::newRow("grade 2") << "a"
                             << "b" << QVariant(1) << QVariant(2) << "آقاي a b"
                             << "مذکر"
                             << "فوق ديپلم";
    QTest::newRow("grade 4") << "a"
                             << "b" << QVariant(0) << QVariant(4) << "خانم a b"
                             << "مونث"
                             << "فوق ليسانس";
    QTest::newRow("grade outside the table") << "a"
                                             << "b" << QVariant(1) << QVariant(8) << "آقاي a b"
                                             << "مذکر"
                                             << "";
    QTest::newRow("empty grade") << "a"
                                 << "b" << QVariant(0) << QVariant() << "خانم a b"
                                 << "مونث"
                                 << "";
    QTest::newRow("empty names") << ""
                                 << "" << QVariant(0) << QVariant(6) << "خانم  "
                                 << "مونث"
                                 << "دکتراي پزشکي";
    QTest::newRow("long names cut to 150")
        << QString(255, QChar(0x0628)) << QString(255, QChar(0x067E)) << QVariant(1) << QVariant(5)
        << (QStringLiteral("آقاي ") + QString(255, QChar(0x0628))).left(150) << "مذکر"
        << "دکتراي غير پزشکي";
}

void tst_DataModule::calculatedFields()
{
    QFETCH(QString, fname);
    QFETCH(QString, lname);
    QFETCH(QVariant, gender);
    QFETCH(QVariant, grade);
    QFETCH(QString, fullName);
    QFETCH(QString, genderText);
    QFETCH(QString, gradeText);
    TempDatabase t;
    TData data;
    data.ConnectToDatabase(t.fileName);
    data.tbProfiles.insertRecord(
        {1, QStringLiteral("1402/01/01"), fname, lname, 30, gender, grade, QStringLiteral("ABC"), false});
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("FullName")).asString(), fullName);
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("GenderText")).asString(), genderText);
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("GradeText")).asString(), gradeText);
    // Stored as typed, untrimmed.
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("FName")).asString(), fname);
}

void tst_DataModule::calculatedFieldsFollowAPost()
{
    TempDatabase t;
    t.addShortProfiles(1);
    TData data;
    data.ConnectToDatabase(t.fileName);
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("GenderText")).asString(), QStringLiteral("مونث"));
    data.tbProfiles.edit();
    data.tbProfiles.setFieldValue(QStringLiteral("Gender"), 1);
    data.tbProfiles.post();
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("GenderText")).asString(), QStringLiteral("مذکر"));
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("FullName")).asString(), QStringLiteral("آقاي a b"));
    // Calculated fields can be filtered on like stored ones.
    data.tbProfiles.setFilter(QStringLiteral("GenderText='مذکر'"));
    data.tbProfiles.setFiltered(true);
    QCOMPARE(data.tbProfiles.recordCount(), 1);
}

void tst_DataModule::connectFromWorkingDirectory_data()
{
    QTest::addColumn<QString>("file");  // what Ravlen.mdb in the working directory holds
    QTest::addColumn<QString>("error"); // empty: connects
    QTest::newRow("database") << "database"
                              << "";
    QTest::newRow("no file") << "none"
                             << "does not exist";
    QTest::newRow("not a database") << "garbage"
                                    << "not a database";
    QTest::newRow("empty file") << "empty"
                                << "empty";
    QTest::newRow("database without profiles") << "noprofiles"
                                               << "Profiles";
    QTest::newRow("read-only file, opened for reading") << "readonly"
                                                        << "";
    QTest::newRow("folder of that name") << "folder"
                                         << "not a file";
}

void tst_DataModule::connectFromWorkingDirectory()
{
    QFETCH(QString, file);
    QFETCH(QString, error);
    QTemporaryDir work;
    QTemporaryDir elsewhere;
    const QString name = QDir(work.path()).filePath(QStringLiteral("Ravlen.mdb"));
    if (file == QLatin1String("database")) {
        Schema::createDatabaseFile(name);
    } else if (file == QLatin1String("readonly")) {
        Schema::createDatabaseFile(name);
        QVERIFY(QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    } else if (file == QLatin1String("noprofiles")) {
        Schema::createDatabaseFile(name);
        DbConnection db;
        db.setConnectionString(JetConnectionString(name, QString()));
        db.open();
        db.execute(QStringLiteral("DROP TABLE Profiles"));
    } else if (file == QLatin1String("garbage") || file == QLatin1String("empty")) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (file == QLatin1String("garbage"))
            f.write(QByteArray(4096, 'x'));
    } else if (file == QLatin1String("folder")) {
        QVERIFY(QDir(work.path()).mkdir(QStringLiteral("Ravlen.mdb")));
    }
    QFile before(name);
    const QByteArray bytesBefore = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
    before.close();
    // A database beside the program but not in the working directory does not count.
    Schema::createDatabaseFile(QDir(elsewhere.path()).filePath(QStringLiteral("Ravlen.mdb")));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    TData data;
    try {
        data.ConnectToWorkingDirectoryDatabase();
        QDir::setCurrent(previous);
        QVERIFY2(error.isEmpty(), "connected");
        QVERIFY(data.Database.isConnected());
        QVERIFY(data.tbProfiles.isActive());
        QCOMPARE(data.Database.fileName(), name);
        QVERIFY(data.Database.connectionString().startsWith(QLatin1String("Provider=Microsoft.Jet.OLEDB.4.0;")));
    } catch (const DataError& e) {
        QDir::setCurrent(previous);
        QVERIFY2(!error.isEmpty(), qPrintable(e.message()));
        QVERIFY2(e.message().contains(error), qPrintable(e.message()));
        QVERIFY(!data.tbProfiles.isActive());
    }
    if (file == QLatin1String("garbage") || file == QLatin1String("empty") || file == QLatin1String("readonly")) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytesBefore); // nothing written
        // Reading a file in write-ahead-log mode may leave the engine's empty read-side files, nothing more.
        QCOMPARE(QFileInfo(name + QStringLiteral("-wal")).size(), 0);
        QCOMPARE(data.Database.isReadOnly(), file == QLatin1String("readonly"));
    }
}

void tst_DataModule::reconnectClosesEverything()
{
    TempDatabase t;
    TData data;
    data.ConnectToDatabase(t.fileName);
    data.OpenQuestionTable(t.addParticipantTable());
    data.tbProfiles.setFilter(QStringLiteral("FileNo=1"));
    data.tbProfiles.setFiltered(true);
    QVERIFY_THROWS_EXCEPTION(DataError, data.ConnectToDatabase(t.fileName + QStringLiteral(".missing")));
    QVERIFY(!data.Database.isConnected());
    QVERIFY(!data.tbQuestions.isActive());
    QVERIFY(!data.tbProfiles.isActive());
    QVERIFY_THROWS_EXCEPTION(DataError, data.tbProfiles.open());
    data.ConnectToDatabase(t.fileName);
    QVERIFY(data.tbProfiles.isActive());
}

void tst_DataModule::questionTableNameIsChecked_data()
{
    QTest::addColumn<QString>("qtable");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("throughOpenQuestionTable"); // otherwise: close, set the table name, open
    const QList<std::pair<const char*, QString>> names{
        {"generated name", QStringLiteral("ABCDEFGHIJKLMNO")},
        {"master table", QStringLiteral("Questions")},
        {"master table in capitals", QStringLiteral("QUESTIONS")},
        {"profiles in capitals", QStringLiteral("PROFILES")},
        {"view with a generated-looking name", QStringLiteral("VVVVVVVVVVVVVVV")},
        {"injection", QStringLiteral("Questions; DROP TABLE Profiles")},
        {"one letter", QStringLiteral("Z")},
        {"empty", QString()},
    };
    for (const auto& [row, name] : names)
        for (const bool direct : {true, false})
            QTest::addRow("%s, %s", row, direct ? "OpenQuestionTable" : "set name and open")
                << name << (name == QLatin1String("ABCDEFGHIJKLMNO")) << direct;
}

// A Profiles.QTable value from a tampered file never opens anything but a participant's own table, whichever
// way tbQuestions is opened, so no answer lands in the master list or in Profiles.
void tst_DataModule::questionTableNameIsChecked()
{
    QFETCH(QString, qtable);
    QFETCH(bool, opens);
    QFETCH(bool, throughOpenQuestionTable);
    TempDatabase t;
    t.db().execute(
        QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question) VALUES ('a', 'b', true, 'q')"));
    t.addParticipantTable(QStringLiteral("ABCDEFGHIJKLMNO"));
    t.db().execute(QStringLiteral("CREATE VIEW VVVVVVVVVVVVVVV AS SELECT * FROM Questions"));
    t.addTamperedProfile(1, qtable);
    TData data;
    data.ConnectToDatabase(t.fileName);
    QVERIFY(data.tbProfiles.locate(QStringLiteral("FileNo"), 1));
    const QString stored = data.tbProfiles.fieldByName(QStringLiteral("QTable")).asString();
    QCOMPARE(stored, qtable);
    auto openIt = [&] {
        if (throughOpenQuestionTable) {
            data.OpenQuestionTable(stored);
        } else {
            data.tbQuestions.close();
            data.tbQuestions.setTableName(stored);
            data.tbQuestions.open();
        }
    };
    if (opens) {
        openIt();
        QCOMPARE(data.tbQuestions.tableName(), qtable);
        QCOMPARE(data.tbQuestions.recordCount(), 1);
    } else {
        try {
            openIt();
            QFAIL("opened");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(qtable), qPrintable(e.message()));
            QCOMPARE(e.kind(), DataError::Kind::BadTableName);
        }
        QVERIFY(!data.tbQuestions.isActive());
    }
    QVERIFY(data.Database.tableExists(QStringLiteral("Profiles")));
}

void tst_DataModule::masterListIsNeverOpenedAsQuestionTable()
{
    TempDatabase t;
    TData data;
    data.ConnectToDatabase(t.fileName);
    QCOMPARE(data.tbQuestions.tableName(), QStringLiteral("Questions"));
    QVERIFY_THROWS_EXCEPTION(DataError, data.tbQuestions.open());
    QVERIFY(!data.tbQuestions.isActive());
}

void tst_DataModule::commandRunsOneStatement_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("changed"); // -1: refused
    QTest::newRow("copy with a statement after it")
        << "SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0; DROP TABLE Questions" << -1;
    QTest::newRow("update with a statement after it") << "UPDATE Profiles SET Age = 9; DROP TABLE Questions" << -1;
    QTest::newRow("statement hidden after a comment line") << "UPDATE Profiles SET Age = 9 -- x\n; DELETE FROM Profiles"
                                                           << -1;
    QTest::newRow("copy") << "SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0" << 1;
    QTest::newRow("closing semicolons and a comment") << "UPDATE Profiles SET Age = 9; ; -- done" << 1;
}

// The command runs exactly the one statement its text holds; a text holding another is refused with nothing run.
void tst_DataModule::commandRunsOneStatement()
{
    QFETCH(QString, command);
    QFETCH(int, changed);
    TempDatabase t;
    t.db().execute(QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question) VALUES ('a', 'b', true, 'q');"
                                  "INSERT INTO Profiles (FileNo, Age) VALUES (1, 30)"));
    TData data;
    data.ConnectToDatabase(t.fileName);
    data.sqlCommand.setCommandText(command);
    if (changed < 0) {
        QVERIFY_THROWS_EXCEPTION(DataError, data.sqlCommand.execute());
        QVERIFY(!data.Database.tableExists(QStringLiteral("ABCDEFGHIJKLMNO")));
        QVERIFY(data.tbProfiles.locate(QStringLiteral("Age"), 30));
        data.tbProfiles.close();
        data.tbProfiles.open();
        QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("Age")).asInteger(), 30);
    } else {
        QCOMPARE(data.sqlCommand.execute(), changed);
    }
    QVERIFY(data.Database.tableExists(QStringLiteral("Questions")));
    QCOMPARE(data.Database.transactionDepth(), 0);
}

void tst_DataModule::gridShowsChosenColumns()
{
    TempDatabase t;
    t.addScoredItems();
    TData data;
    data.ConnectToDatabase(t.fileName);
    // The data module's own sub-scale query, on the master table.
    data.qTest2.open();
    DataGridModel grid(&data.dsTest2, {{QStringLiteral("Group2"), QStringLiteral("عنوان تست"), 169},
                                       {QStringLiteral("Per"), QStringLiteral("نمره از 100"), 0}});
    QCOMPARE(grid.columnCount(), 2);
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.headerData(0, Qt::Horizontal).toString(), QStringLiteral("عنوان تست"));
    QCOMPARE(grid.columnWidth(0), 169);
    const QStringList expected{"ب", "90", "پ", "80", "ی", "33.33"};
    QStringList shown;
    for (int r = 0; r < grid.rowCount(); ++r)
        for (int c = 0; c < 2; ++c)
            shown << grid.data(grid.index(r, c)).toString();
    QCOMPARE(shown, expected);
}

void tst_DataModule::gridFollowsTheCursorBothWays()
{
    TempDatabase t;
    t.addShortProfiles(3);
    TData data;
    data.ConnectToDatabase(t.fileName);
    DataGridModel grid(&data.dsProfiles, {{QStringLiteral("FileNo"), QStringLiteral("پرونده"), 50},
                                          {QStringLiteral("GenderText"), QStringLiteral("جنسيت"), 0},
                                          {QStringLiteral("GradeText"), QStringLiteral("تحصيلات"), 150}});
    QCOMPARE(grid.selectionModel()->currentIndex().row(), 0);
    data.tbProfiles.setRecNo(3);
    QCOMPARE(grid.selectionModel()->currentIndex().row(), 2);
    QVERIFY(grid.selectionModel()->isRowSelected(2, QModelIndex()));
    QCOMPARE(grid.data(grid.index(2, 2)).toString(), QString()); // grade 9 has no text
    QCOMPARE(grid.data(grid.index(1, 1)).toString(), QStringLiteral("مذکر"));
    // Choosing a row in the grid moves the dataset, which the search window's Select reads.
    grid.selectionModel()->setCurrentIndex(grid.index(1, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(data.tbProfiles.recNo(), 2);
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("FileNo")).asInteger(), 6);
}

void tst_DataModule::gridStaysWhereAFailedMoveLeavesTheCursor()
{
    TempDatabase t;
    t.addShortProfiles(2);
    TData data;
    data.ConnectToDatabase(t.fileName);
    DataGridModel grid(&data.dsProfiles, {{QStringLiteral("FileNo"), QStringLiteral("پرونده"), 50}});
    // An edit the file refuses (a date longer than its column): moving away posts it first, which fails, so the
    // dataset stays on its row and the grid must show that row, not the one clicked.
    data.tbProfiles.edit();
    data.tbProfiles.setFieldValue(QStringLiteral("Date"), QStringLiteral("1402/01/01 12:00"));
    grid.selectionModel()->setCurrentIndex(grid.index(1, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(data.tbProfiles.recNo(), 1);
    QCOMPARE(grid.selectionModel()->currentIndex().row(), 0);
    QVERIFY(grid.selectionModel()->isRowSelected(0, QModelIndex()));
}

void tst_DataModule::gridRefreshesOnFilterAndValues()
{
    TempDatabase t;
    t.addShortProfiles(2);
    TData data;
    data.ConnectToDatabase(t.fileName);
    DataGridModel grid(&data.dsProfiles, {{QStringLiteral("FileNo"), QStringLiteral("پرونده"), 50},
                                          {QStringLiteral("FName"), QStringLiteral("نام"), 150}});
    int resets = 0;
    int changes = 0;
    connect(&grid, &QAbstractItemModel::modelReset, this, [&] { ++resets; });
    connect(&grid, &QAbstractItemModel::dataChanged, this, [&] { ++changes; });
    data.tbProfiles.setFilter(QStringLiteral("(Fileno=6)"));
    data.tbProfiles.setFiltered(true);
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.data(grid.index(0, 0)).toString(), QStringLiteral("6"));
    QVERIFY(resets > 0);
    data.tbProfiles.edit();
    data.tbProfiles.setFieldValue(QStringLiteral("FName"), QStringLiteral("نو"));
    data.tbProfiles.post();
    QCOMPARE(changes, 1);
    QCOMPARE(grid.data(grid.index(0, 1)).toString(), QStringLiteral("نو"));
    data.tbProfiles.setFiltered(false);
    data.tbProfiles.setIndexFieldNames(QStringLiteral("FileNo"));
    QCOMPARE(grid.rowCount(), 2);
    data.tbProfiles.close();
    QCOMPARE(grid.rowCount(), 0);
    data.tbProfiles.open();
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.data(grid.index(0, 0)).toString(), QStringLiteral("5"));
}

QTEST_GUILESS_MAIN(tst_DataModule)
#include "tst_DataModule.moc"
