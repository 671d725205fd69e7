#include "testing/ParticipantRegistry.h"

#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/ProfileReread.h"
#include "data/ZarkU.h"

namespace {
const QString fileNoField = QStringLiteral("FileNo");
} // namespace

bool ParticipantDetails::isComplete() const
{
    return fileNo > 0 && !fName.trimmed().isEmpty() && !lName.trimmed().isEmpty() && age > 0 && gender >= 0 &&
           grade >= 0;
}

ParticipantRegistry::ParticipantRegistry(TData& data) : m_data(data) {}

void ParticipantRegistry::showAllProfilesByFileNo()
{
    TableDataSet& profiles = m_data.tbProfiles;
    profiles.setFiltered(false);
    profiles.setFilter(QString());
    profiles.setIndexFieldNames(fileNoField);
}

std::optional<StoredProfile> ParticipantRegistry::lookUp(qint64 fileNo)
{
    TableDataSet& profiles = m_data.tbProfiles;
    showAllProfilesByFileNo();
    rereadProfilesIfStale(m_data, fileNo);
    if (!profiles.locate(fileNoField, fileNo))
        return std::nullopt;
    StoredProfile p;
    p.fileNo = profiles.fieldByName(fileNoField).asInteger();
    p.date = profiles.fieldByName(QStringLiteral("Date")).asString();
    p.fName = profiles.fieldByName(QStringLiteral("FName")).asString();
    p.lName = profiles.fieldByName(QStringLiteral("LName")).asString();
    p.age = profiles.fieldByName(QStringLiteral("Age")).asInteger();
    p.gender = profiles.fieldByName(QStringLiteral("Gender")).asInteger();
    p.grade = profiles.fieldByName(QStringLiteral("Grade")).asInteger();
    p.qTable = profiles.fieldByName(QStringLiteral("QTable")).asString();
    p.completed = profiles.fieldByName(QStringLiteral("Completed")).asBoolean();
    return p;
}

QString ParticipantRegistry::freeTableName() const
{
    QString name;
    do
        name = RandomLetters(15);
    while (TableExists(name, m_data.Database));
    return name;
}

ParticipantRegistry::Outcome ParticipantRegistry::registerParticipant(const ParticipantDetails& details,
                                                                      QString& tableName)
{
    // Inserted with no filter in force, so the new row is the participant's own and stays the current one.
    showAllProfilesByFileNo();
    QString name;
    try {
        // A profile naming a table that was never made, or a table nobody's profile names, must not outlive a
        // failure part way; nor may a message wait for the operator while the file is held for writing.
        m_data.Database.inTransaction(QStringLiteral("Cannot register file number %1").arg(details.fileNo), [&] {
            name = freeTableName();
            m_data.tbProfiles.insertRecord({details.fileNo, ShDateToStr(details.date), details.fName, details.lName,
                                            details.age, details.gender, details.grade, name, false});
            m_data.sqlCommand.setCommandText(QStringLiteral("SELECT * INTO ") + name +
                                             QStringLiteral(" FROM Questions Where Row>=0"));
            m_data.sqlCommand.execute();
        });
    } catch (const DataError& error) {
        if (error.kind() == DataError::Kind::DuplicateKey)
            return Outcome::NumberTaken;
        throw;
    }
    m_data.OpenQuestionTable(name);
    tableName = name;
    return Outcome::Registered;
}

void ParticipantRegistry::markCompleted(int fileNo)
{
    TableDataSet& profiles = m_data.tbProfiles;
    showAllProfilesByFileNo();
    if (!profiles.locate(fileNoField, fileNo))
        throw DataError(QStringLiteral("The profile of file number %1 is no longer in table 'Profiles'").arg(fileNo));
    profiles.edit();
    profiles.setFieldValue(QStringLiteral("Completed"), true);
    profiles.post();
    // A finished test is a pause: the file alone now holds every answer, for whoever copies it tonight.
    m_data.Database.checkpoint();
}
