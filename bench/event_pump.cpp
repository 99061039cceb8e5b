#include "event_pump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

bool pumpUntil(const std::function<bool()> &done, int timeoutMs)
{
    // The tick wakes the wait when no event would, so done() is looked at.
    QTimer tick;
    tick.start(5);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pumpFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    pumpUntil([&] { return deadline.hasExpired(); }, ms + 1000);
}
