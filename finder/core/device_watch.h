#pragma once

#include "devicelist/device_roster.h"
#include "devicelist/device_sink.h"

#include <QObject>
#include <QTimer>

#include <algorithm>

class FinderController;

// Watch mode's rounds: every interval the controller re-sends the request
// on its open socket and the replies go into a roster, which tells what
// appeared, changed, went or came back. Shared by the window and --watch.
// While it runs, the controller puts the replies into it, not the results.
class DeviceWatch : public QObject, public DeviceSink
{
    Q_OBJECT

public:
    static constexpr int DefaultIntervalSeconds = 5;
    static constexpr int MinIntervalSeconds = 2;
    static constexpr int MaxIntervalSeconds = 3600;
    // seconds within the bounds above.
    static int boundedInterval(int seconds) { return std::clamp(seconds, MinIntervalSeconds, MaxIntervalSeconds); }

    explicit DeviceWatch(FinderController &controller, QObject *parent = nullptr);

    // Starts with an empty roster and sends the first round at once.
    void start(int intervalSeconds, int goneAfter = DeviceRoster::DefaultGoneAfter);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    void setIntervalSeconds(int seconds);
    void setGoneAfter(int rounds) { m_roster.setGoneAfter(rounds); }

    const DeviceRoster &roster() const { return m_roster; }
    // Ends the round now and starts the next, as the interval's timer does.
    void endRound();

    // One accepted reply, from the controller: into the roster.
    bool takeDevice(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin) override;

Q_SIGNALS:
    // After the roster has changed. entry indexes roster().
    void deviceEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs);
    // A round's replies are in (its gone events have been sent); the next
    // round follows at once.
    void roundEnded(int round);
    // A new device answered a full roster: it took the place of the device
    // gone longest, or, none being gone, it was dropped (roster().dropped()
    // counts those).
    void rosterFull(bool dropped);

private:
    FinderController &m_controller;
    DeviceRoster m_roster;
    QTimer m_timer;
};
