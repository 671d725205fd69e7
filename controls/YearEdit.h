#pragma once

// The month calendar's in-place year editor and its spinner.

#include "calendar/ShCalendarMode.h"

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <functional>

class QToolButton;
class TYearEdit;

// The up-down spinner beside the year editor: two arrow buttons that step a position between a minimum and a
// maximum and write it into the editor, without a thousands separator.
class TYearUpDown : public QWidget
{
    Q_OBJECT

public:
    explicit TYearUpDown(QWidget* parent = nullptr);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    void SetRange(int min, int max);
    void SetPosition(int value);
    // +1 or -1 within the range; the editor shows the new position.
    void Step(int delta);
    // Digits typed into the editor: up to four make a year, a fifth starts over. The typed year becomes the
    // position (within the range) when the typing ends, or is dropped.
    void TypeDigit(int digit);
    void EndTyping();
    void DiscardTyping();
    QString TypedYear() const { return m_typed; }
    // The editor that shows the position and takes the focus for the spinner.
    void SetAssociate(TYearEdit* edit);
    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

private:
    void showPosition();

    QToolButton* m_up;
    QToolButton* m_down;
    TYearEdit* m_edit = nullptr;
    int m_min = 0;
    int m_max = ShCalendarMode::MaximumYear;
    int m_position = 0;
    QString m_typed;
};

// The in-place year editor of the title: a borderless, read-only edit whose year is changed by its spinner or
// the Up and Down keys (and, in the picker's drop-down, by typed digits). It closes once: Enter and focus loss accept, Escape discards; a mouse press on any other
// control accepts too.
class TYearEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TYearEdit(QWidget* parent = nullptr);
    ~TYearEdit() override;

    TYearUpDown* UpDown() const { return m_upDown; }
    void SetUpDown(TYearUpDown* upDown) { m_upDown = upDown; }
    // Called with true (accept) or false (discard) when the editor closes.
    void SetOnDone(std::function<void(bool)> done) { m_done = std::move(done); }

    // Shows editor and spinner and takes the focus.
    void StartEdit();
    // Calls the completion callback, then hides spinner and editor; does nothing while hidden or closing.
    void CloseEdit(bool accept);
    // Digits typed for the year (the drop-down calendar's keyboard; the editor's own keys leave the text alone).
    void TypeDigits(const QString& text);
    bool IsClosing() const { return m_closing; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TYearUpDown* m_upDown = nullptr;
    std::function<void(bool)> m_done;
    bool m_closing = false;
    bool m_filtering = false;
};
