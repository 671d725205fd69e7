#include "data/DataModule.h"

#include "data/DataError.h"
#include "data/DbBackend.h"
#include "data/FileUpgrade.h"
#include "data/ProfileTexts.h"
#include "data/ScoreQueries.h"
#include "data/ZarkU.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

TData* Data = nullptr;

namespace {

// Participants' answers are not for every account on the machine: a file this user owns loses the permissions
// for others (the engine's side files follow). Group permissions stay, so a folder shared through a group keeps
// working.
void keepFromOthers(const QString& fileName)
{
    constexpr QFile::Permissions others = QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString name = fileName + QLatin1String(suffix);
        const QFileInfo info(name);
        if (info.exists() && info.ownerId() == ::geteuid() && (info.permissions() & others))
            QFile::setPermissions(name, info.permissions() & ~others);
    }
}

} // namespace

TData::TData(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Data"));
    tbProfiles.setObjectName(QStringLiteral("tbProfiles"));
    tbQuestions.setObjectName(QStringLiteral("tbQuestions"));
    qTest1.setObjectName(QStringLiteral("qTest1"));
    qTest2.setObjectName(QStringLiteral("qTest2"));
    dsProfiles.setObjectName(QStringLiteral("dsProfiles"));
    dsQuestions.setObjectName(QStringLiteral("dsQuestions"));
    dsTest1.setObjectName(QStringLiteral("dsTest1"));
    dsTest2.setObjectName(QStringLiteral("dsTest2"));
    sqlCommand.setObjectName(QStringLiteral("sqlCommand"));

    for (DataSet* ds : {static_cast<DataSet*>(&tbProfiles), static_cast<DataSet*>(&tbQuestions),
                        static_cast<DataSet*>(&qTest1), static_cast<DataSet*>(&qTest2)})
        ds->setConnection(&Database);
    sqlCommand.setConnection(&Database);

    tbProfiles.setTableName(QStringLiteral("Profiles"));
    // Look-ups and searches by file number find the profile by its number, not by reading every profile.
    tbProfiles.setKeyField(QStringLiteral("FileNo"));
    tbProfiles.addCalculatedField(QStringLiteral("FullName"), FieldType::Text, 150);
    tbProfiles.addCalculatedField(QStringLiteral("GradeText"), FieldType::Text, 50);
    tbProfiles.addCalculatedField(QStringLiteral("GenderText"), FieldType::Text, 10);
    tbProfiles.setOnCalcFields([this](CalcRecord& record) { tbProfilesCalcFields(record); });
    tbQuestions.setTableName(QStringLiteral("Questions"));
    tbQuestions.setParticipantTablesOnly(true);

    // Made for the master table; the results window rewrites both for a participant before opening them.
    qTest1.sql() = scoreByScaleSql(QStringLiteral("Questions"));
    qTest2.sql() = scoreBySubScaleSql(QStringLiteral("Questions"));

    dsProfiles.setDataSet(&tbProfiles);
    dsQuestions.setDataSet(&tbQuestions);
    dsTest1.setDataSet(&qTest1);
    dsTest2.setDataSet(&qTest2);
}

TData::~TData()
{
    qTest1.close();
    qTest2.close();
    tbQuestions.close();
    tbProfiles.close();
    Database.close();
}

void TData::tbProfilesCalcFields(CalcRecord& record)
{
    const int gender = record.fieldByName(QStringLiteral("Gender")).asInteger();
    const FieldValue grade = record.fieldByName(QStringLiteral("Grade"));
    const QString name = GenderTitle(gender) + record.fieldByName(QStringLiteral("FName")).asString().trimmed() +
                         QLatin1Char(' ') + record.fieldByName(QStringLiteral("LName")).asString().trimmed();
    record.setFieldValue(QStringLiteral("FullName"), name.left(150));
    record.setFieldValue(QStringLiteral("GenderText"), GenderText(gender));
    record.setFieldValue(QStringLiteral("GradeText"), grade.isNull() ? QString() : GradeText(grade.asInteger()));
}

QList<int> TData::ConnectToDatabase(const QString& fileName)
{
    qTest1.close();
    qTest2.close();
    tbQuestions.close();
    tbProfiles.close();
    Database.close();
    Database.setConnectionString(JetConnectionString(fileName, QString()));
    Database.open();
    QList<int> repaired;
    m_repairAwaiting.clear();
    m_upgradeAwaiting = false;
    try {
        // A file read as it lies (an archive, another user's file) is not mended: what a writable open would do
        // is only named. A server database needs none of the file's care: the server keeps it from other users,
        // and registration there is one transaction, so no profile is left without its question table.
        if (Database.isReadOnly()) {
            m_upgradeAwaiting = FileUpgrade::declaresEarlierCollation(Database);
            m_repairAwaiting = FileUpgrade::participantTablesMissing(Database);
        } else if (!isServerDataSource(fileName)) {
            keepFromOthers(fileName);
            FileUpgrade::removeEarlierCollation(Database);
            repaired = FileUpgrade::repairParticipantTables(Database);
        }
        tbProfiles.open();
    } catch (...) {
        tbProfiles.close();
        Database.close();
        throw;
    }
    return repaired;
}

QList<int> TData::ConnectToWorkingDirectoryDatabase()
{
    const QDir here(QDir::currentPath());
    const QString pointer = here.filePath(QStringLiteral("Ravlen.server"));
    if (QFileInfo::exists(pointer))
        return ConnectToDatabase(serverAddressIn(pointer));
    return ConnectToDatabase(here.filePath(QStringLiteral("Ravlen.mdb")));
}

QString serverAddressIn(const QString& pointerFile)
{
    QFile file(pointerFile);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("Cannot read '%1': %2").arg(pointerFile, file.errorString()),
                        DataError::Kind::AccessDenied);
    const QString address = QString::fromUtf8(file.readLine()).trimmed();
    if (!isServerDataSource(address))
        throw DataError(QStringLiteral("'%1' names no database server: its first line must be a connection URI "
                                       "such as postgresql://ravlen@server/ravlen")
                            .arg(pointerFile),
                        DataError::Kind::NotConnected);
    return address;
}

void TData::OpenQuestionTable(const QString& tableName)
{
    tbQuestions.close();
    tbQuestions.setTableName(tableName);
    tbQuestions.open();
}
