#pragma once

#include "data/DataSet.h"
#include "data/DataSource.h"
#include "data/SqlCommand.h"
#include "data/DbConnection.h"

#include <QList>
#include <QObject>

// The data module: the one connection and every dataset, data source and command the windows share. Created with
// every dataset closed and the connection disconnected; it never shows anything and catches no errors.
class TData : public QObject
{
    Q_OBJECT

public:
    explicit TData(QObject* parent = nullptr);
    ~TData() override;

    DbConnection Database;
    TableDataSet tbProfiles;
    TableDataSet tbQuestions;
    QueryDataSet qTest1;
    QueryDataSet qTest2;
    DataSource dsProfiles;
    DataSource dsQuestions;
    DataSource dsTest1;
    DataSource dsTest2;
    SqlCommand sqlCommand;

    // FullName (title and trimmed names, at most 150 characters), GenderText and GradeText of a Profiles row.
    void tbProfilesCalcFields(CalcRecord& record);

    // The main window's connect step: closes every dataset and the connection, points the connection at
    // "Ravlen.mdb" in the process's current working directory, connects and opens tbProfiles. A file this user may
    // read but not change is opened for reading and left exactly as it is (see repairAwaiting). Otherwise it
    // mends the file once: a file this user owns loses the permissions for others; a file made by an earlier
    // build, whose text columns declare the collation only this program knows, is rebuilt without it (after a
    // backup copy beside it, see FileUpgrade); profiles whose question table was never made get it. Returns the
    // file numbers whose tables were made, for the operator's notice. Throws DataError when the file is missing,
    // unusable or refused (anything refused is left unchanged); the connection and the datasets are then closed.
    // When the folder holds "Ravlen.server" (one line: a PostgreSQL connection URI without a password), the
    // database on that server is used instead and the file is not looked at.
    QList<int> ConnectToWorkingDirectoryDatabase();

    // What the last connect found to mend but left alone, as the file was open for reading only (see
    // DbConnection::isReadOnly): the file numbers whose question tables are missing, and whether the file still
    // declares an earlier build's collation. Both wait for an open that may write.
    QList<int> repairAwaiting() const { return m_repairAwaiting; }
    bool upgradeAwaiting() const { return m_upgradeAwaiting; }

    // The same with a given file, for tools and tests.
    QList<int> ConnectToDatabase(const QString& fileName);

    // Closes tbQuestions, points it at a participant question table and opens it. tbQuestions takes participant
    // tables only (15 letters A to Y, a table, not a view), however it is opened: anything else throws DataError
    // and leaves it closed. Its initial table, Questions, is the master list and is never opened through it.
    void OpenQuestionTable(const QString& tableName);

private:
    QList<int> m_repairAwaiting;
    bool m_upgradeAwaiting = false;
};

// The server address a "Ravlen.server" file holds; throws DataError when it holds none.
QString serverAddressIn(const QString& pointerFile);

extern TData* Data;
