#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler only writes the signal's number into a socket; the event loop reads it.
int g_nWriteEnd = -1;

void OnSignal(int sig) {
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    (void)!::write(g_nWriteEnd, &b, 1);
    errno = saved;
}

} // namespace

CTerminationSignals& CTerminationSignals::Get() {
    static CTerminationSignals* instance = new CTerminationSignals; // lives as long as handlers
    return *instance;
}

CTerminationSignals::CTerminationSignals() {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    g_nWriteEnd = fds[1];
    m_pNotifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnReadable);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

void CTerminationSignals::OnReadable() {
    unsigned char b = 0;
    while (::read(static_cast<int>(m_pNotifier->socket()), &b, 1) == 1)
        m_nReceived = b;
    if (m_nReceived != 0)
        emit Received(m_nReceived);
}
