#pragma once

#include "devicelist/device_roster.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

class FinderController;
struct DeviceReply;

// Watch mode's rounds: every interval the controller re-sends the request
// on its open socket and the replies go into a roster, which tells what
// appeared, changed, went or came back. Shared by the window and --watch.
class DeviceWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultIntervalSeconds = 5;
    static constexpr int MinIntervalSeconds = 2;
    static constexpr int MaxIntervalSeconds = 3600;

    explicit DeviceWatch(FinderController &controller, QObject *parent = nullptr);

    // Starts with an empty roster and sends the first round at once.
    void start(int intervalSeconds, int goneAfter = DeviceRoster::DefaultGoneAfter);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    void setIntervalSeconds(int seconds);

    const DeviceRoster &roster() const { return m_roster; }
    // What the roster keeps of one accepted reply.
    static DeviceRoster::Values valuesOf(const DeviceReply &reply, const QString &senderAddress);

    // The time events are stamped with; a test may set its own clock.
    using Clock = qint64 (*)();
    void setClock(Clock clock) { m_clock = clock; }

Q_SIGNALS:
    // After the roster has changed. entry indexes roster().
    void deviceEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs);
    // Any reply that reached the roster, an event or not.
    void deviceNoted(qsizetype entry);
    // A round's replies are in (its gone events have been sent); the next
    // round follows at once.
    void roundEnded(int round);

private:
    void onDeviceAnswered(const DeviceReply &reply, const QString &senderAddress);
    void nextRound();

    FinderController &m_controller;
    DeviceRoster m_roster;
    QTimer m_timer;
    Clock m_clock = &QDateTime::currentMSecsSinceEpoch;
};
