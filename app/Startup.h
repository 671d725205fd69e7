#pragma once

#include <memory>

class TData;
class TfrmAbout;
class TfrmMain;
class TfrmMessage;
class TfrmNewTest;
class TfrmResult;
class TfrmSearch;
class QWidget;

// Application-wide settings every window relies on: right-to-left layout, the embedded font, Qt's Persian
// translation and the button style. Call once, after QApplication exists.
void prepareApplication();

// The program's run once prepareApplication is done: creates the windows, shows the main window and runs the
// event loop until the main window closes, or until the system asks the program to end (a signal, the desktop
// session's end), which ends it without the exit question. The database file is whole when it returns; the
// exit status comes back.
int runProgram();

// For start-up measurements: when RAVLEN_REPORT_FIRST_PAINT is set, the main window's first paint (it comes after
// the connect step) writes one line to standard output, "painted: <rows of tbProfiles> rows", and ends the
// program once the event loop is free to take the menu. Without the variable it does nothing.
void reportFirstPaintWhenAsked(QWidget* mainWindow);

// The single instances of the program's windows and data module, created hidden in their fixed order and
// reachable through their globals (frmMain, frmMessage, ...). Destroying it destroys them in reverse order
// and clears the globals.
struct ApplicationWindows
{
    ApplicationWindows();
    ~ApplicationWindows();
    ApplicationWindows(const ApplicationWindows&) = delete;
    ApplicationWindows& operator=(const ApplicationWindows&) = delete;

    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmMessage> message;
    std::unique_ptr<TfrmNewTest> newTest;
    std::unique_ptr<TData> data;
    std::unique_ptr<TfrmResult> result;
    std::unique_ptr<TfrmSearch> search;
    std::unique_ptr<TfrmAbout> about;
};
