#include "bench_application.h"

bool BenchApplication::notify(QObject *receiver, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (!m_watcher || (type != QEvent::SockAct && type != QEvent::Paint))
        return QApplication::notify(receiver, event);
    m_watcher->eventStarted(receiver, type);
    const bool handled = QApplication::notify(receiver, event);
    m_watcher->eventEnded(receiver, type);
    return handled;
}
