#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The names of a database's tables and views, read in one pass, for work that asks about many tables at once
// (the connect step's repair, the tools). Each question is then a look-up in memory: the catalogue is read once
// however many participants the file holds. Letter case is ignored, as both engines ignore it in the names the
// program makes.
//
// The set is as the catalogue was when it was read. A check that must see what another program made a moment
// ago (registration's choice of a new table name) asks the backend afresh instead.
class TableNameSet
{
public:
    TableNameSet() = default;
    explicit TableNameSet(const QStringList& names);

    bool contains(const QString& name) const;
    qsizetype size() const { return m_names.size(); }

private:
    static QString folded(const QString& name);

    QSet<QString> m_names;
};
