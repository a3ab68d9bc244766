#include "EndRequests.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1}; // read end, write end

// All a signal handler may safely do: a byte into the pipe, errno as it was.
extern "C" void onEndSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

bool openPipe() {
    if (::pipe(g_pipe) != 0)
        return false;
    for (int fd : g_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC); // not inherited by pusk.exe
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

void handleSignals(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

EndRequests::EndRequests(std::function<void()> ask) : m_ask(std::move(ask)) {
    if (g_pipe[0] >= 0 || !openPipe())
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        m_ask();
    });
    handleSignals(onEndSignal);
}

EndRequests::~EndRequests() {
    if (!m_notifier)
        return;
    handleSignals(SIG_DFL);
    delete m_notifier;
    for (int& fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
}

#else

// Windows asks through the window system's own messages (the session's end).
EndRequests::EndRequests(std::function<void()> ask) : m_ask(std::move(ask)) {}
EndRequests::~EndRequests() = default;

#endif
