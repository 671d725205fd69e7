#pragma once

#include "dialogs/WindowPlacement.h"

#include <QList>
#include <QMainWindow>

#include <functional>
#include <memory>

namespace Ui {
class TfrmMain;
}

class MenuStyle;

// The main window: the program's frame with the menu of its three commands (Test, Review results, Exit)
// and the About box. Closing it by any path asks whether to leave the program, unless the system ends it.
class TfrmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The data module's connect step, run by FormShow. The data layer supplies it; it returns the file numbers
    // whose question tables it had to make, which FormShow names in a notice. Whatever it throws is shown by the
    // error report and the window is shown all the same, with Test and Review results disabled.
    void setConnectStep(std::function<QList<int>()> step);

    void FormShow();
    // After a connect that found the file read-only for this user: Review results works, Test is turned off and
    // the operator reads why; a repair or upgrade the file waits for is named.
    void showReadOnlyOpen();
    // The title names the database server when the connection is on one.
    void showDatabaseInUse();
    bool FormCloseQuery();

    // The desktop session is ending: the database file is made whole at once, as the session may end the process
    // soon after, and the close that follows asks no exit question (nobody is there to answer it).
    void sessionEnding();
    // Ends the program now without the exit question, for a request from the system (see EndRequests): the
    // database file is made whole and every event loop ends, a modal window's included.
    void endWithoutQuestion();
    void N2Click();
    void N3Click();
    void N5Click();
    void N7Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const std::unique_ptr<Ui::TfrmMain> m_ui;
    MenuStyle* m_menuStyle = nullptr;
    std::function<QList<int>()> m_connectStep;
    bool m_asksBeforeClosing = true;
    // Centred on the desktop when first shown.
    WindowPlacement m_placement{Placement::CentredFirstShow};
};

extern TfrmMain* frmMain;
