#pragma once

#include <QCollator>
#include <QStringView>

// Persian alphabetical order for texts, shared by the database's text collation and the in-memory sort of the
// datasets so both give one order. Texts the collator calls equal are ordered by code point, so only identical
// texts compare equal.
const QCollator& persianCollator();
int comparePersian(QStringView a, QStringView b);
