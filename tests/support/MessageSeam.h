#pragma once

#include "dialogs/MessageFrm.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <initializer_list>

// Answers the next SysMessage calls from the seam's queue, without showing anything, for the lifetime of the
// object. It starts and ends with an empty queue and record, so an unused answer or an old call cannot leak
// from one test into the next.
class ScopedMessageAnswers
{
public:
    explicit ScopedMessageAnswers(std::initializer_list<int> answers = {});
    ~ScopedMessageAnswers();
    ScopedMessageAnswers(const ScopedMessageAnswers&) = delete;
    ScopedMessageAnswers& operator=(const ScopedMessageAnswers&) = delete;

    void add(int answer);
    // Queued answers no call has taken yet.
    int unused() const;
    // Every SysMessage call made since the object was made, shown or answered from the queue.
    QList<SysMessageCall> calls() const;
    QStringList texts() const;
};

// The pop-up filter: for code that shows the real message dialog, it watches for any message dialog being
// shown, records its caption and text, and presses its button `answers[i]` (1 to 3) for the i-th showing
// once the dialog is up; after the list it keeps pressing the last one. It stops when destroyed.
class MessagePopupAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit MessagePopupAnswerer(QList<int> answers = {1}, QObject* parent = nullptr);

    // Caption and text of each dialog shown so far (answer left 0: the dialog's own result is SysMessage's).
    QList<SysMessageCall> shown() const { return m_shown; }
    qsizetype count() const { return m_shown.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<int> m_answers;
    QList<SysMessageCall> m_shown;
};
