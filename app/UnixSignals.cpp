#include "app/UnixSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The write end of the pipe the handler writes to. A signal handler can only reach a process-wide value;
// it is set once before the handlers are installed and never changed while they are.
int g_iSignalFd[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char c = 1;
    // Nothing else is safe in a signal handler; a full pipe already holds a pending request.
    [[maybe_unused]] const ssize_t n = ::write(g_iSignalFd[0], &c, 1);
}

} // namespace

TUnixSignals::TUnixSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_iSignalFd) != 0)
        return;
    ::fcntl(g_iSignalFd[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_iSignalFd[1], F_SETFL, O_NONBLOCK);
    Notifier = new QSocketNotifier(g_iSignalFd[1], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TUnixSignals::Drain);

    struct sigaction Action = {};
    Action.sa_handler = OnTerminationSignal;
    sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &Action, nullptr);
    sigaction(SIGINT, &Action, nullptr);
}

TUnixSignals::~TUnixSignals() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    if (g_iSignalFd[0] >= 0) {
        ::close(g_iSignalFd[0]);
        ::close(g_iSignalFd[1]);
        g_iSignalFd[0] = g_iSignalFd[1] = -1;
    }
}

void TUnixSignals::Drain() {
    char Buffer[16];
    while (::read(g_iSignalFd[1], Buffer, sizeof(Buffer)) > 0) {
    }
    Q_EMIT TerminationRequested();
}
