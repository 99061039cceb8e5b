#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <csignal>

// SIGINT and SIGTERM as a Qt signal, through a signalfd: the event loop
// finishes the line it is writing, then the mode ends cleanly. Construct it
// before any thread starts, so that every thread has the signals blocked.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

Q_SIGNALS:
    void stopRequested(int signalNumber);

private:
    void onReadable();

    sigset_t m_previousMask{};
    int m_descriptor = -1;
    QSocketNotifier *m_notifier = nullptr;
};
