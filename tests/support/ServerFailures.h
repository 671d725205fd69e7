#pragma once

#include "data/DataError.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QTemporaryDir>

// Real causes of a server that cannot be used, each made on the throwaway cluster: a stopped server, a wrong
// port, a user without a password in the password file, a wrong password, a database that does not exist and a
// user without rights on a Ravlen database.
struct ServerFailure
{
    QString name;
    QString uri;
    QByteArray passwordFileLine; // the password file's one line; no file at all when empty
    DataError::Kind kind;
    QString named; // what the sentence and the tool's advice must name: the port, user, database or file
};

Q_DECLARE_METATYPE(ServerFailure)

QList<ServerFailure> serverFailures();

// PGPASSFILE set to a file of mode 600 holding `line` (to a file that does not exist when `line` is empty) for
// the object's life, so the machine's own ~/.pgpass never takes part.
class PasswordFileInPlace
{
public:
    explicit PasswordFileInPlace(const QByteArray& line);
    ~PasswordFileInPlace();
    PasswordFileInPlace(const PasswordFileInPlace&) = delete;
    PasswordFileInPlace& operator=(const PasswordFileInPlace&) = delete;

    QString fileName() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};
