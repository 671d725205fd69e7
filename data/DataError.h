#pragma once

#include <QString>

#include <stdexcept>

// The one error type of the data layer. Its text names what was being done and the culprit (file, table, field,
// filter text) together with the database engine's own message, for support. Its kind says what went wrong in
// terms a window can act on (a duplicate file number is an operator error, a locked file is worth a retry) and
// picks the sentence the user reads.
class DataError : public std::runtime_error
{
public:
    enum class Kind
    {
        Other,          // nothing the user can do about it differently
        DuplicateKey,   // a unique index refused the row: the file number is registered already
        Busy,           // another program holds the file locked longer than the layer waits
        ReadOnly,       // the file, its side files or its folder cannot be written
        AccessDenied,   // the file or its folder cannot be read by this user
        MissingFile,    // the database file does not exist
        NotADatabase,   // empty, damaged, or not a database file at all
        DiskFull,       // no room left on the disk (or quota) to write
        BadFilter,      // a filter text the dataset cannot read
        BadTableName,   // a participant table name that is not one the program makes
        Schema,         // the file lacks a table or column the program reads, or holds what it refuses
        Constraint,     // a value outside what the column allows (an age of 300)
        Conflict,       // the row was changed or deleted by another program since it was read
        NotConnected,   // the connection is closed, or a dataset is used while closed
        Unsupported,    // the file lies where the engine cannot share it safely (a network file system)
        ConnectionLost, // the database server or the network dropped the connection; the next action reconnects
        ServerUnreachable,     // no server answers at the address: it is stopped, or the host, port or network is wrong
        ServerNoPassword,      // the server asks for a password and the password file has none for it
        ServerLoginRefused,    // the server refused the login: a wrong password or a user it does not know
        ServerDatabaseMissing, // the server runs but has no database of that name
        ServerPermission,      // the server's account may not use the database or its tables
        PasswordFileOpen,      // the password file may be read or changed by other users
        PasswordInAddress,     // the server address itself holds a password
        ServerNotEmpty,        // tables were to be made in a server database that holds some already
    };

    // what() holds the user's sentence for the kind, then the technical detail on its own line, so the
    // application's error report shows both unchanged.
    // `subject` is what the sentence names for the server kinds: the server's address, or the password file for
    // PasswordFileOpen; files are named through the detail.
    explicit DataError(const QString& message, Kind kind = Kind::Other, const QString& subject = QString());

    // The technical detail: what was being done, the culprit and the engine's own text. For support, tests and
    // the database tool.
    QString message() const { return m_message; }
    Kind kind() const { return m_kind; }
    QString subject() const { return m_subject; }

private:
    QString m_message;
    Kind m_kind;
    QString m_subject;
};

// The Persian sentence a counsellor reads for an error: what happened and what to do, naming the file or folder
// where the detail names one, or the server or password file `subject` names. Without the technical detail.
QString userSentence(DataError::Kind kind, const QString& detail, const QString& subject = QString());

// The sentence, then the technical detail on its own line: the text the error report shows.
QString userMessage(const DataError& error);

// A file name, folder, command or server address inside a Persian sentence or title, embedded so that it reads
// left to right as one piece; without the embedding its slashes and blanks would be placed by the text's
// right-to-left order ("tmp/a/" for "/tmp/a").
QString leftToRight(const QString& text);
