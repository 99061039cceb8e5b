#include "stop_signals.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <pthread.h>

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &m_previousMask);
    m_descriptor = signalfd(-1, &stops, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_descriptor < 0) {
        // Without it the default actions stay: the process still ends.
        pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
        return;
    }
    m_notifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::onReadable);
}

StopSignals::~StopSignals()
{
    if (m_descriptor < 0)
        return;
    delete m_notifier;
    ::close(m_descriptor);
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

void StopSignals::onReadable()
{
    signalfd_siginfo info{};
    if (::read(m_descriptor, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        Q_EMIT stopRequested(static_cast<int>(info.ssi_signo));
}
