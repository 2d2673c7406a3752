#include "qtterminationsignals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> handledSignals = {SIGTERM, SIGHUP, SIGINT};

// The end of the socket pair the handler writes to: that of the instance
// that installed the handler last, -1 when none is left. A lock-free atomic
// is safe to read in a signal handler.
std::atomic<int> handlerSocket{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void noteSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full socket means the same request is already waiting.
    if (const int socket = handlerSocket.load(); socket >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(socket, &number, 1);
    }
    errno = savedErrno;
}

} // namespace

QtTerminationSignals::QtTerminationSignals() = default;

QtTerminationSignals::~QtTerminationSignals()
{
    if (!m_notifier)
        return;
    int ours = m_sockets[0];
    if (handlerSocket.compare_exchange_strong(ours, -1)) {
        for (int signal : handledSignals)
            std::signal(signal, SIG_DFL);
    }
    m_notifier.reset();
    ::close(m_sockets[0]);
    ::close(m_sockets[1]);
}

void QtTerminationSignals::onSignal(std::function<void(int)> handler)
{
    m_handler = std::move(handler);
    if (m_notifier)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_sockets) != 0) {
        qWarning("KVN cannot watch for termination signals: socketpair failed");
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_sockets[1], QSocketNotifier::Read);
    handlerSocket.store(m_sockets[0]);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { arrived(); });
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : handledSignals)
        ::sigaction(signal, &action, nullptr);
}

void QtTerminationSignals::arrived()
{
    unsigned char number = 0;
    if (::read(m_sockets[1], &number, 1) != 1)
        return;
    if (m_handler)
        m_handler(number);
}

void QtTerminationSignals::endBy(int signal)
{
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}
