#include "finder/cli/signal_watcher.h"

#include "finder/cli/cli_log.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

// The one piece of process-wide state a signal handler can reach.
volatile std::sig_atomic_t writeEnd = -1;

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // Non-blocking: a full pipe already holds enough wake-ups.
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &number, 1);
    errno = savedErrno;
}

} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent)
    : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcCli, "signal watcher: no pipe (%s); signals keep their default action",
                  qPrintable(qt_error_string()));
        return;
    }
    writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPipe);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted writes carry on, so a line being printed is completed.
    action.sa_flags = SA_RESTART;
    for (const int number : signalNumbers) {
        if (::sigaction(number, &action, nullptr) == 0)
            m_signals << number;
    }
}

SignalWatcher::~SignalWatcher()
{
    for (const int number : std::as_const(m_signals))
        std::signal(number, SIG_DFL);
    writeEnd = -1;
    delete m_notifier;  // before its descriptor closes
    for (const int end : m_pipe) {
        if (end >= 0)
            ::close(end);
    }
}

void SignalWatcher::readPipe()
{
    unsigned char numbers[16];
    ssize_t count;
    while ((count = ::read(m_pipe[0], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            qCDebug(lcCli, "caught signal %d", numbers[i]);
            emit caught(numbers[i]);
        }
    }
}
