#include "tests/support/MessageSeam.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

ScopedMessageAnswers::ScopedMessageAnswers(std::initializer_list<int> answers)
{
    SysMessageSeam::clearAnswers();
    SysMessageSeam::clearCalls();
    SysMessageSeam::setNextAnswers(answers);
}

ScopedMessageAnswers::~ScopedMessageAnswers()
{
    SysMessageSeam::clearAnswers();
    SysMessageSeam::clearCalls();
}

void ScopedMessageAnswers::add(int answer)
{
    SysMessageSeam::setNextAnswer(answer);
}

int ScopedMessageAnswers::unused() const
{
    return SysMessageSeam::pendingAnswers();
}

QList<SysMessageCall> ScopedMessageAnswers::calls() const
{
    return SysMessageSeam::calls();
}

QStringList ScopedMessageAnswers::texts() const
{
    QStringList out;
    for (const SysMessageCall& call : SysMessageSeam::calls())
        out << call.text;
    return out;
}

MessagePopupAnswerer::MessagePopupAnswerer(QList<int> answers, QObject* parent)
    : QObject(parent), m_answers(answers.isEmpty() ? QList<int>{1} : std::move(answers))
{
    qApp->installEventFilter(this);
}

bool MessagePopupAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    auto* dialog = event->type() == QEvent::Show ? qobject_cast<TfrmMessage*>(watched) : nullptr;
    if (!dialog)
        return false;
    SysMessageCall call;
    call.caption = dialog->windowTitle();
    if (const auto* text = dialog->findChild<QLabel*>(QStringLiteral("msgText")))
        call.text = text->text();
    call.shown = true;
    const int answer = m_answers[qMin(m_shown.size(), m_answers.size() - 1)];
    m_shown << call;
    // Pressed once the dialog's own event loop runs.
    QTimer::singleShot(0, dialog, [dialog, answer] {
        if (auto* key = dialog->findChild<QPushButton*>(QStringLiteral("btKey%1").arg(answer)))
            key->click();
    });
    return false;
}
