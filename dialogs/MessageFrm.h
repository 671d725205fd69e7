#pragma once

#include "dialogs/WindowPlacement.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <initializer_list>
#include <memory>

namespace Ui {
class TfrmMessage;
}

class QPushButton;

// The system's own modal message dialog: every confirmation, operator error and notice is shown in it,
// right to left and with Persian button captions. One instance (frmMessage) is reused for every message;
// SysMessage() fills and shows it.
//
// Button sets: 0 OK; 1 Yes, No; 2 Continue, Cancel; 3 Yes, No, Cancel. Icons: 1 OK, 2 danger, 3 notice,
// 4 question, anything else none. The result is 1 for the first button and 2 for the second. The dialog
// cannot be closed without a button (Alt+F4 is refused), except in set 3, where the Cancel button and Esc
// close it with the result 0.
class TfrmMessage : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmMessage(QWidget* parent = nullptr);
    ~TfrmMessage() override;

    // Fills the dialog for one message without showing it.
    void prepare(const QString& caption, const QString& text, int buttons, int icon, int defaultButton);
    // The status the showing ended with (1, 2, or 0 when no answer was given).
    int status() const;

    void FormShow();
    bool FormCloseQuery() const;
    void btKey1Click();
    void btKey2Click();
    void btKey3Click();
    void QuitClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

private:
    void setStatus(int status);
    void setPanelHeight(int height);
    QPushButton* button(int number) const;

    const std::unique_ptr<Ui::TfrmMessage> m_ui;
    // Centred over the main window the first time; later showings stay where the operator left the dialog.
    WindowPlacement m_placement{Placement::CentredFirstShow};
    bool m_cancelled = false;
};

extern TfrmMessage* frmMessage;

// Names for SysMessage's numbers; the plain numbers work as well:
//   SysMessage(caption, text, Buttons::YesNo, Icon::Question, DefaultButton::Second)
namespace Buttons {
enum : int
{
    Ok = 0,
    YesNo = 1,
    ContinueCancel = 2,
    YesNoCancel = 3,
};
} // namespace Buttons

namespace Icon {
enum : int
{
    None = 0,
    Ok = 1,
    Danger = 2,
    Notice = 3,
    Question = 4,
};
} // namespace Icon

namespace DefaultButton {
enum : int
{
    First = 1,
    Second = 2,
    Third = 3,
};
} // namespace DefaultButton

// What a button press returns: the first button, the second, or no answer (Cancel of set 3).
namespace Answer {
enum : int
{
    None = 0,
    First = 1,
    Second = 2,
};
} // namespace Answer

// Shows the message dialog modally and returns the number of the button pressed (1 or 2; 0 for Cancel of set 3).
// When frmMessage has not been created, the first call creates it. A call made while the dialog is already
// showing (an error report during a question) gets a dialog of its own, so the open question keeps its state.
int SysMessage(const QString& caption, const QString& text, int buttons, int icon, int defaultButton);

// One call of SysMessage, as the test seam records it.
struct SysMessageCall
{
    QString caption;
    QString text;
    int buttons = 0;
    int icon = 0;
    int defaultButton = 0;
    int answer = 0;
    bool shown = false; // false: answered from the queue without showing
};

// Test seam: queued answers are returned by the next calls without showing anything, and every call, shown
// or answered from the queue, is recorded (the latest 1000).
namespace SysMessageSeam {
void setNextAnswer(int answer);
void setNextAnswers(std::initializer_list<int> answers);
int pendingAnswers();
void clearAnswers();
QList<SysMessageCall> calls();
void clearCalls();
} // namespace SysMessageSeam
