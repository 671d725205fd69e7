#include "app/EndRequests.h"

#include <QSocketNotifier>

#include <cerrno>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int caught[] = {SIGTERM, SIGHUP, SIGINT};

// The handler may only write to a descriptor: everything else waits for the event loop at the other end.
int writeEnd = -1;
int readEnd = -1;

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

EndRequests::EndRequests(QObject* parent) : QObject(parent)
{
    if (readEnd >= 0)
        throw std::logic_error("The program's end requests are caught already");
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        throw std::runtime_error("Cannot make the channel for the end signals");
    writeEnd = ends[0];
    readEnd = ends[1];
    m_notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndRequests::readSignals);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(caught); ++i)
        ::sigaction(caught[i], &action, &m_previous[i]);
}

EndRequests::~EndRequests()
{
    for (size_t i = 0; i < std::size(caught); ++i)
        ::sigaction(caught[i], &m_previous[i], nullptr);
    delete m_notifier;
    ::close(writeEnd);
    ::close(readEnd);
    writeEnd = readEnd = -1;
}

void EndRequests::readSignals()
{
    char byte = 0;
    while (::read(readEnd, &byte, 1) == 1) {
        m_requested = true;
        emit endRequested(int(byte));
    }
}
