#include "data/ProfileReread.h"

#include "data/DataModule.h"

namespace {

bool sameStoredValues(const DataSet& stored, const DataSet& inMemory)
{
    for (const FieldDef& field : stored.fields())
        if (stored.fieldByName(field.name).asString() != inMemory.fieldByName(field.name).asString())
            return false;
    return true;
}

} // namespace

void rereadProfilesIfStale(TData& data, qint64 fileNo)
{
    QueryDataSet stored;
    stored.setConnection(&data.Database);
    stored.sql() = QStringList{QStringLiteral("SELECT * FROM Profiles WHERE FileNo = %1").arg(fileNo)};
    stored.open();

    TableDataSet& profiles = data.tbProfiles;
    const bool inMemory = profiles.isActive() && profiles.locate(QStringLiteral("FileNo"), fileNo);
    const bool current = profiles.isActive() &&
                         (stored.isEmpty() ? !inMemory : inMemory && sameStoredValues(stored, profiles));
    if (current)
        return;
    profiles.close();
    profiles.open();
}
