#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// The system's requests to end the program now: SIGTERM (a logout, a shutdown, `kill`), SIGHUP (the terminal it
// was started from went away) and SIGINT (Ctrl+C there). Nobody is at the window to answer the exit question
// then, and without an orderly end the latest answers would stay in the database's side log. Each request is
// reported from the event loop, never from inside the signal handler.
//
// The signals are caught from the making of the one instance to its destruction, which gives them back.
class EndRequests : public QObject
{
    Q_OBJECT

public:
    explicit EndRequests(QObject* parent = nullptr);
    ~EndRequests() override;
    EndRequests(const EndRequests&) = delete;
    EndRequests& operator=(const EndRequests&) = delete;

    // Whether a request has been reported.
    bool requested() const { return m_requested; }

signals:
    // One signal arrived; `signalNumber` says which.
    void endRequested(int signalNumber);

private:
    void readSignals();

    QSocketNotifier* m_notifier = nullptr;
    bool m_requested = false;
    struct sigaction m_previous[3] = {};
};
