#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the menu entry's launcher (ravlen-start) could not do before the program proper could start: make the
// data folder or the new database file in it. A menu entry has no terminal, so the launcher starts the program
// in this mode and the counsellor reads the reason in the program's message window instead of seeing nothing:
//
//     ravlen --start-failed folder|database FOLDER DETAIL
struct StartFailure
{
    enum class Step
    {
        Folder,   // the data folder could not be made or entered
        Database, // the new Ravlen.mdb could not be made in it
    };

    Step step = Step::Folder;
    QString folder;
    QString detail; // what the failing command wrote

    // The failure the command line asks to show; nullopt when it starts the program normally.
    static std::optional<StartFailure> fromArguments(const QStringList& arguments);

    // The Persian sentence saying what failed and what to do, then the command's own text.
    QString text() const;
};

// Shows the failure in the message window and returns the launcher's exit status (1).
int showStartFailure(const StartFailure& failure);
