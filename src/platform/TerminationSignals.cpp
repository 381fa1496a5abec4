#include "platform/TerminationSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vimbrel::platform {

namespace {

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler is handed no state, so the pipe it writes to and the mark
// of a signal in progress are process-wide; one TerminationSignals exists at
// a time.
int g_pipe[2] = {-1, -1};
std::atomic<bool> g_pending{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnEndingSignal(int signalNumber) {
    if (g_pending.exchange(true)) {
        // The first one has not been handled: the UI thread is stuck, and
        // whoever sends a second one wants the process gone.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    const auto byte = static_cast<unsigned char>(signalNumber);
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals() {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // The signals keep their default: they end the process.
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kEndingSignals) {
        sigaction(signalNumber, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    for (const int signalNumber : kEndingSignals) {
        std::signal(signalNumber, SIG_DFL);
    }
    if (g_pipe[0] >= 0) {
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
    g_pending = false;
}

void TerminationSignals::Drain() {
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        emit Received(byte);
    }
}

} // namespace vimbrel::platform
