#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// A database file opened for reading only: no journal-mode switch, no migration, no permission change, and the
// engine itself is told it may not write, so every byte of the file stays as it was. The tool's reading
// commands (backup, check) go through it so that they may run while the program has the file open.
//
// Only the engine's read-side files may appear beside a file in write-ahead-log mode that nobody has open; they
// take the file's own permissions, and the program removes them at its next clean close.
class ReadOnlyDb
{
public:
    // Opens `fileName`; throws DataError when it is missing, unreadable, not a file or not a database at all.
    explicit ReadOnlyDb(const QString& fileName);
    ~ReadOnlyDb();
    ReadOnlyDb(const ReadOnlyDb&) = delete;
    ReadOnlyDb& operator=(const ReadOnlyDb&) = delete;

    sqlite3* handle() const { return m_handle; }
    QString fileName() const { return m_fileName; }

    // What keeps the program from using this file: a missing table or column it reads, or a trigger (which
    // would run hidden statements whenever the program writes). Empty for a sound Ravlen schema.
    QStringList schemaProblems() const;
    // Throws DataError (kind Schema) naming the first of schemaProblems().
    void requireRavlenSchema() const;

    // The first column of every row `sql` returns, as text; throws DataError when the engine refuses it.
    QStringList column(const QString& sql) const;

private:
    QString m_fileName;
    sqlite3* m_handle = nullptr;
};
