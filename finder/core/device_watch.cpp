#include "finder/core/device_watch.h"

#include "discovery/discovery_messages.h"
#include "finder/core/finder_controller.h"

#include <algorithm>

DeviceWatch::DeviceWatch(FinderController &controller, QObject *parent)
    : QObject(parent)
    , m_controller(controller)
{
    connect(&m_controller, &FinderController::deviceAnswered, this, &DeviceWatch::onDeviceAnswered);
    connect(&m_timer, &QTimer::timeout, this, &DeviceWatch::nextRound);
}

void DeviceWatch::setIntervalSeconds(int seconds)
{
    m_timer.setInterval(std::clamp(seconds, MinIntervalSeconds, MaxIntervalSeconds) * 1000);
}

void DeviceWatch::start(int intervalSeconds, int goneAfter)
{
    m_roster = DeviceRoster(goneAfter);
    setIntervalSeconds(intervalSeconds);
    m_controller.setWatching(true);
    m_roster.beginRound();
    m_timer.start();
    m_controller.resend();
}

void DeviceWatch::stop()
{
    m_timer.stop();
    if (m_controller.isWatching())
        m_controller.setWatching(false);
}

void DeviceWatch::nextRound()
{
    // A refresh in between has ended the watch.
    if (!m_controller.isWatching()) {
        m_timer.stop();
        return;
    }
    const qint64 now = m_clock();
    for (const qsizetype entry : m_roster.endRound())
        Q_EMIT deviceEvent(DeviceRoster::Event::Gone, entry, now);
    Q_EMIT roundEnded(m_roster.round());
    if (!m_timer.isActive())   // a handler stopped the watch
        return;
    m_roster.beginRound();
    m_controller.resend();
}

DeviceRoster::Values DeviceWatch::valuesOf(const DeviceReply &reply, const QString &senderAddress)
{
    DeviceRoster::Values values;
    values[DeviceRoster::Ip] = senderAddress;
    values[DeviceRoster::Serial] = reply.serialNumber;
    values[DeviceRoster::Mac] = reply.macAddress;
    values[DeviceRoster::Version] = reply.swVersion;
    values[DeviceRoster::Description] = reply.description;
    return values;
}

void DeviceWatch::onDeviceAnswered(const DeviceReply &reply, const QString &senderAddress)
{
    const DeviceRoster::Values values = valuesOf(reply, senderAddress);
    const qint64 now = m_clock();
    const DeviceRoster::Noted noted = m_roster.note(values, now);
    if (noted.entry < 0)
        return;
    if (noted.event)
        Q_EMIT deviceEvent(*noted.event, noted.entry, now);
    Q_EMIT deviceNoted(noted.entry);
}
