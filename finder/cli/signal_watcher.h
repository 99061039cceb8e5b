#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

// Turns SIGINT and the like into a Qt signal on the thread's event loop, so
// that the code that handles them may write, allocate and finish its output:
// the handler only writes the signal's number to a pipe (self-pipe), which a
// QSocketNotifier reads. One watcher per process; the handlers stay installed
// until it is destroyed, then the default actions return.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void caught(int signalNumber);

private:
    void readPipe();

    int m_pipe[2] = {-1, -1};
    QList<int> m_signals;
    QSocketNotifier *m_notifier = nullptr;
};
