#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct sqlite3;

// A database file opened for reading only, for the database tool's reading commands (check, backup, the
// exports), which may run while the program has the file open. It checks the schema like the program's own
// open and changes nothing: no journal-mode switch, no upgrade, no repair, no permission change, and the engine
// is told it may not write. The file's bytes stay as they were.
//
// Beside a file in write-ahead-log mode that no program has open, the engine makes the empty read-side files it
// needs to share the file safely with a program that opens it meanwhile; they take the file's own permissions
// and the program removes them at its next clean close, or this open removes them as it closes (SideFiles). On a
// folder nobody may write (read-only media), where nobody can change the file either, the file is read as it
// lies, without them.
class ReadOnlyDatabase
{
public:
    enum class Schema
    {
        Checked,   // refuse a file that is no sound Ravlen database (SchemaCheck), as the program does
        Unchecked, // for a caller that reports the problems itself
    };

    enum class SideFiles
    {
        Keep, // left for the program, which removes them at its next clean close
        // Removed at the close when no other program has the file open by then, so that looking at a file leaves
        // its folder as it was. Only for a process with no other connection to the file: the test for other
        // programs cannot see this process's own connections.
        RemoveIfUnused,
    };

    // Throws DataError when the file is missing, unreadable, not a file, empty, not a database at all, or (when
    // checked) not a sound Ravlen database.
    explicit ReadOnlyDatabase(const QString& fileName, Schema schema = Schema::Checked,
                              SideFiles sideFiles = SideFiles::Keep);
    ~ReadOnlyDatabase();
    ReadOnlyDatabase(const ReadOnlyDatabase&) = delete;
    ReadOnlyDatabase& operator=(const ReadOnlyDatabase&) = delete;

    // The open Qt connection, for the layer's reading functions (SqlBackend::readQuery and the like).
    const QSqlDatabase& database() const { return m_db; }
    // The engine's handle under it, for a page-by-page copy.
    sqlite3* handle() const;
    QString fileName() const { return m_fileName; }

private:
    void open(const QString& uriOptions);
    void release();
    void removeSideFilesMadeHere();

    QString m_fileName;
    // With SideFiles::RemoveIfUnused: the side files that did not exist before this open.
    QStringList m_sideFilesAbsent;
    QString m_connectionName;
    QSqlDatabase m_db;
};
