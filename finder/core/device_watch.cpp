#include "finder/core/device_watch.h"

#include "finder/core/finder_controller.h"

#include <QDateTime>

DeviceWatch::DeviceWatch(FinderController &controller, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
{
    connect(&m_timer, &QTimer::timeout, this, &DeviceWatch::endRound);
}

void DeviceWatch::setIntervalSeconds(int seconds)
{
    m_timer.setInterval(boundedInterval(seconds) * 1000);
}

void DeviceWatch::start(int intervalSeconds, int goneAfter)
{
    m_roster = DeviceRoster(goneAfter);
    setIntervalSeconds(intervalSeconds);
    m_controller.setWatching(this);
    m_roster.beginRound();
    m_timer.start();
    m_controller.resend();
}

void DeviceWatch::stop()
{
    m_timer.stop();
    if (m_controller.isWatching())
        m_controller.setWatching(nullptr);
}

void DeviceWatch::endRound()
{
    // A refresh in between has ended the watch.
    if (!m_controller.isWatching()) {
        m_timer.stop();
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const qsizetype entry : m_roster.endRound())
        Q_EMIT deviceEvent(DeviceRoster::Event::Gone, entry, now);
    Q_EMIT roundEnded(m_roster.round());
    if (!m_timer.isActive())   // a handler stopped the watch
        return;
    m_roster.beginRound();
    m_controller.resend();
}

bool DeviceWatch::takeDevice(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const DeviceRoster::Noted noted = m_roster.note(DeviceRecord::fromReply(reply, senderAddress, origin).fields, now);
    if (noted.entry < 0 || noted.replacedGone)
        Q_EMIT rosterFull(noted.entry < 0);
    if (noted.entry < 0)
        return false;
    if (noted.event)
        Q_EMIT deviceEvent(*noted.event, noted.entry, now);
    return true;
}
