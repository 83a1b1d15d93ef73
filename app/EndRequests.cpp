#include "EndRequests.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int watchedSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Written by the handler, which may run on any thread; one object at a time owns it.
volatile sig_atomic_t writeEnd = -1;

} // namespace

EndRequests::EndRequests(QObject *parent) : QObject(parent)
{
    if (writeEnd >= 0 || pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndRequests::readRequests);
    struct sigaction action = {};
    action.sa_handler = &EndRequests::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : watchedSignals)
        sigaction(number, &action, nullptr);
}

EndRequests::~EndRequests()
{
    if (!m_notifier)
        return;
    for (int number : watchedSignals)
        std::signal(number, SIG_DFL);
    writeEnd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void EndRequests::onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (writeEnd >= 0) {
        const ssize_t written = ::write(writeEnd, &byte, 1);
        static_cast<void>(written); // a full pipe already holds a request
    }
    errno = savedErrno;
}

void EndRequests::readRequests()
{
    unsigned char bytes[16];
    ssize_t count;
    while ((count = ::read(m_pipe[0], bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < count; ++i)
            emit requested(bytes[i]);
}
