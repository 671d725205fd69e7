#pragma once

#include "tools/ItemCsv.h"

#include <QList>
#include <QString>

// What the database tool does to a database file. Every function throws DataError with a message in plain
// words when it cannot do its work, and leaves the file as it found it.
namespace ItemStore {

// The item bank shipped with the program.
QList<BankItem> bundledItems();

// Creates a new database file at `fileName` with the tables and `items`, readable and writable by its owner
// only. The file appears complete or not at all, and an existing file of that name is never replaced.
void createDatabase(const QString& fileName, const QList<BankItem>& items);

// The items of the database file in presentation order.
QList<BankItem> readItems(const QString& fileName);

// Replaces the items of a database file that has no participants yet, numbering them from 1 in list order.
void replaceItems(const QString& fileName, const QList<BankItem>& items);

// Writes `bytes` to a new file at `fileName`; like createDatabase, it never replaces an existing file.
void writeNewFile(const QString& fileName, const QByteArray& bytes);

// Throws DataError when `fileName` exists (a dangling link counts), or its folder does not exist or may not be
// written by this user: `what` never replaces a file.
void refuseExisting(const QString& fileName, const QString& what);

// Renames a finished scratch file to `fileName`, refusing (DataError) when that name is taken, with no gap
// between looking and moving.
void moveIntoPlace(const QString& scratch, const QString& fileName, const QString& what);

} // namespace ItemStore
