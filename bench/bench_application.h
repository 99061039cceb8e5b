#pragma once

#include <QApplication>

// Sees the events that carry the finder's work: socket activations (each
// one a batch of datagrams read and handled) and paints.
class EventWatcher
{
public:
    virtual ~EventWatcher() = default;
    virtual void eventStarted(QObject *receiver, QEvent::Type type) = 0;
    virtual void eventEnded(QObject *receiver, QEvent::Type type) = 0;
};

class BenchApplication : public QApplication
{
public:
    using QApplication::QApplication;

    void setWatcher(EventWatcher *watcher) { m_watcher = watcher; }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    EventWatcher *m_watcher = nullptr;
};
