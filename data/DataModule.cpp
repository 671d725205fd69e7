#include "data/DataModule.h"

#include "data/ZarkU.h"

#include <QDir>

TData* Data = nullptr;

namespace {

const QString& genderText(bool female)
{
    static const QString femaleText = QStringLiteral("مونث");
    static const QString maleText = QStringLiteral("مذکر");
    return female ? femaleText : maleText;
}

const QString& title(bool female)
{
    static const QString femaleTitle = QStringLiteral("خانم ");
    static const QString maleTitle = QStringLiteral("آقاي ");
    return female ? femaleTitle : maleTitle;
}

QString gradeText(const FieldValue& grade)
{
    static const QStringList texts{
        QStringLiteral("زير ديپلم"),    QStringLiteral("ديپلم"),
        QStringLiteral("فوق ديپلم"),    QStringLiteral("ليسانس"),
        QStringLiteral("فوق ليسانس"),   QStringLiteral("دکتراي غير پزشکي"),
        QStringLiteral("دکتراي پزشکي"), QStringLiteral("مدارک حوزه علميه"),
    };
    if (grade.isNull())
        return QString();
    const int code = grade.asInteger();
    return code >= 0 && code < texts.size() ? texts[code] : QString();
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
    tbProfiles.addCalculatedField(QStringLiteral("FullName"), FieldType::Text, 150);
    tbProfiles.addCalculatedField(QStringLiteral("GradeText"), FieldType::Text, 50);
    tbProfiles.addCalculatedField(QStringLiteral("GenderText"), FieldType::Text, 10);
    tbProfiles.setOnCalcFields([this](CalcRecord& record) { tbProfilesCalcFields(record); });
    tbQuestions.setTableName(QStringLiteral("Questions"));
    tbQuestions.setParticipantTablesOnly(true);

    const QString select1 = QStringLiteral("SELECT Group1, Sum(Score) AS SumScore, Count(Group1)*5 AS TopScore, "
                                           "Round((SumScore*100)/TopScore,2) AS Per");
    const QString select2 = QStringLiteral("SELECT Group2, Sum(Score) AS SumScore, Count(Group1)*5 AS TopScore, "
                                           "Round((SumScore*100)/TopScore,2) AS Per");
    qTest1.sql() = QStringList{select1, QStringLiteral("FROM Questions"), QStringLiteral("GROUP BY Group1;")};
    qTest2.sql() = QStringList{select2, QStringLiteral("FROM Questions"), QStringLiteral("GROUP BY Group2"),
                               QStringLiteral("ORDER BY Group2;")};

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
    const bool female = record.fieldByName(QStringLiteral("Gender")).asInteger() == 0;
    const QString name = title(female) + record.fieldByName(QStringLiteral("FName")).asString().trimmed() +
                         QLatin1Char(' ') + record.fieldByName(QStringLiteral("LName")).asString().trimmed();
    record.setFieldValue(QStringLiteral("FullName"), name.left(150));
    record.setFieldValue(QStringLiteral("GenderText"), genderText(female));
    record.setFieldValue(QStringLiteral("GradeText"), gradeText(record.fieldByName(QStringLiteral("Grade"))));
}

void TData::ConnectToDatabase(const QString& fileName)
{
    qTest1.close();
    qTest2.close();
    tbQuestions.close();
    tbProfiles.close();
    Database.close();
    Database.setConnectionString(JetConnectionString(fileName, QString()));
    Database.open();
    tbProfiles.open();
}

void TData::ConnectToWorkingDirectoryDatabase()
{
    ConnectToDatabase(QDir(QDir::currentPath()).filePath(QStringLiteral("Ravlen.mdb")));
}

void TData::OpenQuestionTable(const QString& tableName)
{
    tbQuestions.close();
    tbQuestions.setTableName(tableName);
    tbQuestions.open();
}
