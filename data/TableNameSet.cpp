#include "data/TableNameSet.h"

TableNameSet::TableNameSet(const QStringList& names)
{
    m_names.reserve(names.size());
    for (const QString& name : names)
        m_names.insert(folded(name));
}

bool TableNameSet::contains(const QString& name) const
{
    return m_names.contains(folded(name));
}

QString TableNameSet::folded(const QString& name)
{
    return name.toLower();
}
