#include "finder/core/finder_controller.h"

#include "devicelist/device_record.h"
#include "devicelist/device_sink.h"
#include "discovery/discovery_endpoint.h"
#include "discovery/discovery_log.h"
#include "discovery/discovery_messages.h"
#include "finder/core/finder_view.h"
#include "finder/core/request_routes.h"

#include <QHostAddress>

#include <utility>

using namespace Qt::StringLiterals;

FinderController::FinderController(FinderView &view, DeviceSink *results, DiscoveryEndpoint &endpoint,
                                   QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_results(results)
    , m_endpoint(endpoint)
{
    connect(&m_sweep, &TargetSweep::finished, this, &FinderController::onSweepFinished);
    connect(&m_endpoint, &DiscoveryEndpoint::reopened, this, &FinderController::onReopened);
    m_noReplyTimer.setSingleShot(true);
    m_noReplyTimer.setInterval(NoReplyHintDelayMs);
    // The routes are looked up only when the hint is due: refreshes stay fast.
    connect(&m_noReplyTimer, &QTimer::timeout, this,
            [this] { m_view.showNoReplyHint(requestRoutes(m_endpoint)); });
}

void FinderController::start(const TargetList &targets, double ratePerSecond)
{
    if (m_results)
        m_results->setUp();
    query(targets, ratePerSecond);
}

void FinderController::refresh()
{
    query({});
}

void FinderController::query(const TargetList &targets, double ratePerSecond)
{
    setWatching(nullptr);
    ++m_queries;
    // The socket a running sweep sends from is about to close.
    m_sweep.stop();
    m_noReplyTimer.stop();
    m_view.hideNoReplyHint();
    m_targets = targets;
    m_ratePerSecond = ratePerSecond;
    // Done at once, or when the bind helper has answered: the window's
    // thread never waits for it. A later query supersedes this one.
    m_awaitingBind = true;
    m_endpoint.reopenWithoutWaiting();
}

void FinderController::onReopened(const std::optional<EndpointError> &failure)
{
    if (!m_awaitingBind)
        return;   // a reopen that was not ours
    m_awaitingBind = false;
    // A port that cannot be bound leaves the last results on screen; the
    // user fixes the cause and presses Refresh again.
    if (failure) {
        m_view.reportFailure(*failure);
        return;
    }
    const TargetList targets = std::exchange(m_targets, {});
    m_foundCount = 0;
    m_droppedCount = 0;
    m_view.resultsCleared();
    if (m_results)
        m_results->clearDevices();
    const QString request = buildRequest();
    if (const std::optional<EndpointError> notSent = m_endpoint.send(request)) {
        m_view.reportFailure(*notSent);
    } else {
        m_noReplyTimer.start();
    }
    for (const EndpointError &warning : m_endpoint.sendWarnings())
        m_view.reportWarning(warning);
    m_view.requestSent(request);

    const TargetList beyondBroadcast = targets.without(m_endpoint.broadcastSubnets());
    m_askedDirectly = beyondBroadcast;
    if (beyondBroadcast.isEmpty()) {
        Q_EMIT sendingFinished();
        return;
    }
    m_sweep.start(beyondBroadcast, m_ratePerSecond, [this, request](quint32 address) {
        return m_endpoint.sendTo(request, QHostAddress(address));
    });
}

void FinderController::onSweepFinished()
{
    if (const std::optional<EndpointError> &first = m_sweep.firstFailure()) {
        if (m_sweep.failed() == m_sweep.attempted()) {
            m_view.reportFailure(*first);
        } else {
            EndpointError warning = *first;
            warning.reason = u"%1 (%2 of %3 target addresses failed)"_s.arg(
                    first->reason, QString::number(m_sweep.failed()), QString::number(m_sweep.attempted()));
            m_view.reportWarning(warning);
        }
    }
    Q_EMIT sendingFinished();
}

void FinderController::onDatagrams(const QList<IncomingDatagram> &batch)
{
    const quint64 query = m_queries;
    for (const IncomingDatagram &datagram : batch) {
        if (query != m_queries)
            return;
        handle(datagram);
    }
}

void FinderController::handle(const IncomingDatagram &datagram)
{
    m_lastReply = datagram.text;
    const DeviceReply reply = parseReply(m_lastReply);
    const Rejection rejection = rejectionOf(reply, datagram.senderAddress);
    const bool device = rejection == Rejection::None;
    const auto origin = [this, &datagram] {
        const bool otherSubnet = !datagram.senderOnArrivalSubnet && !m_askedDirectly.contains(datagram.senderIPv4);
        return ReplyOrigin{datagram.interfaceName, datagram.arrivalTime, otherSubnet};
    };
    if (!device) {
        qCDebug(lcDiscovery).noquote() << "rejected a datagram from" << datagram.senderAddress << "-"
                                       << rejectionText(m_lastReply, rejection);
    }
    if (m_watch) {
        if (device)
            m_watch->takeDevice(reply, datagram.senderAddress, origin());
        return;
    }
    // A reply the full results could not take was not found as far as the
    // user can see, so it is not counted but said; the counter stops at its
    // limit.
    if (device && m_results) {
        if (!m_results->takeDevice(reply, datagram.senderAddress, origin()))
            m_view.resultsFull(++m_droppedCount);
        else if (m_foundCount < DeviceRecord::MaxDevices && ++m_foundCount == 1)
            endNoReplyWait();
    }
    m_view.datagramHandled(m_lastReply, m_foundCount);
}

void FinderController::setWatching(DeviceSink *watch)
{
    m_watch = watch;
    if (watch) {
        m_sweep.stop();
        endNoReplyWait();
    }
}

bool FinderController::resend()
{
    if (!m_endpoint.isBound()) {
        if (const std::optional<EndpointError> failure = m_endpoint.reopen()) {
            m_view.reportFailure(*failure);
            return false;
        }
    }
    const QString request = buildRequest();
    const std::optional<EndpointError> failure = m_endpoint.send(request);
    if (failure)
        m_view.reportFailure(*failure);
    for (const EndpointError &warning : m_endpoint.sendWarnings())
        m_view.reportWarning(warning);
    m_view.requestSent(request);
    return !failure;
}

void FinderController::endNoReplyWait()
{
    m_noReplyTimer.stop();
    m_view.hideNoReplyHint();
}
