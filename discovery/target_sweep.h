#pragma once

#include "discovery/endpoint_error.h"
#include "discovery/target_addresses.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// Sends one request to every address of a target list, paced: a /16 at full
// speed would bury a router's, or a small device's, receive queue.
class TargetSweep : public QObject
{
    Q_OBJECT

public:
    static constexpr double DefaultRate = 2000;   // requests per second
    static constexpr double MaxRate = 1'000'000;

    // Sends the request to one IPv4 address.
    using SendOne = std::function<std::optional<EndpointError>(quint32 address)>;

    explicit TargetSweep(QObject *parent = nullptr);

    // Stops a running sweep and starts on the list. The first request goes
    // out at once, the rest from the event loop at ratePerSecond.
    void start(const TargetList &targets, double ratePerSecond, SendOne sendOne);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    quint64 attempted() const { return m_attempted; }
    quint64 failed() const { return m_failed; }
    const std::optional<EndpointError> &firstFailure() const { return m_firstFailure; }

Q_SIGNALS:
    // Every address has been sent to, or tried.
    void finished();

private:
    void sendDue();
    bool sendNext();

    QTimer m_timer;
    QElapsedTimer m_clock;
    SendOne m_sendOne;
    QList<TargetRange> m_ranges;
    qsizetype m_rangeIndex = 0;
    quint64 m_offset = 0;   // within the current range
    double m_rate = DefaultRate;
    double m_credit = 0;
    qint64 m_lastTickNs = 0;
    quint64 m_attempted = 0;
    quint64 m_failed = 0;
    std::optional<EndpointError> m_firstFailure;
};
