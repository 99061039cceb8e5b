#include "discovery/target_sweep.h"

#include <algorithm>
#include <cmath>

namespace {

// Often enough that a default-rate sweep goes out ten requests at a time.
constexpr int TickMs = 5;
// A stalled event loop does not make up for the stall in one burst: at
// most this much sending time is saved up.
constexpr double MaxBurstSeconds = 0.02;

} // namespace

TargetSweep::TargetSweep(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(TickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TargetSweep::sendDue);
}

void TargetSweep::start(const TargetList &targets, double ratePerSecond, SendOne sendOne)
{
    stop();
    m_sendOne = std::move(sendOne);
    m_ranges = targets.ranges;
    m_rangeIndex = 0;
    m_offset = 0;
    m_rate = std::clamp(std::isfinite(ratePerSecond) ? ratePerSecond : DefaultRate, 0.001, MaxRate);
    m_attempted = 0;
    m_failed = 0;
    m_firstFailure.reset();
    m_clock.start();
    m_lastTickNs = 0;
    m_credit = 1;   // the first request goes out at once
    m_timer.start();
    sendDue();
}

void TargetSweep::stop()
{
    m_timer.stop();
    m_ranges.clear();
}

bool TargetSweep::sendNext()
{
    if (m_rangeIndex >= m_ranges.size())
        return false;
    const TargetRange &range = m_ranges[m_rangeIndex];
    const quint32 address = range.first + static_cast<quint32>(m_offset);
    if (++m_offset >= range.size()) {
        ++m_rangeIndex;
        m_offset = 0;
    }
    ++m_attempted;
    if (std::optional<EndpointError> failure = m_sendOne(address)) {
        ++m_failed;
        if (!m_firstFailure)
            m_firstFailure = std::move(failure);
    }
    return true;
}

void TargetSweep::sendDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_credit = std::min(m_credit + double(now - m_lastTickNs) * 1e-9 * m_rate,
                        std::max(1.0, m_rate * MaxBurstSeconds));
    m_lastTickNs = now;
    while (m_credit >= 1 && m_timer.isActive()) {
        m_credit -= 1;
        if (!sendNext()) {
            stop();
            Q_EMIT finished();
            return;
        }
    }
    // The last address went out: finish now, not a tick later.
    if (m_timer.isActive() && m_rangeIndex >= m_ranges.size()) {
        stop();
        Q_EMIT finished();
    }
}
