#pragma once

#include "data/ReadOnlyDatabase.h"

#include <QString>
#include <QStringList>

struct sqlite3;

// The tool's reading commands (backup, check, the import's look at the file) read through the data layer's
// read-only open, which changes nothing in the file; this adds what they ask of it.
class ReadOnlyDb
{
public:
    // Opens `fileName` without refusing an unsound schema (check reports it); throws DataError when it is
    // missing, unreadable, not a file or not a database at all.
    explicit ReadOnlyDb(const QString& fileName,
                        ReadOnlyDatabase::SideFiles sideFiles = ReadOnlyDatabase::SideFiles::Keep);

    sqlite3* handle() const { return m_db.handle(); }
    QString fileName() const { return m_db.fileName(); }

    // What keeps the program from using this file (SchemaCheck::problems); empty for a sound Ravlen schema.
    QStringList schemaProblems() const;
    // Throws DataError (kind Schema) naming the first of schemaProblems().
    void requireRavlenSchema() const;

    // The first column of every row `sql` returns, as text; throws DataError when the engine refuses it.
    QStringList column(const QString& sql) const;

private:
    ReadOnlyDatabase m_db;
};
