#pragma once

#include "discovery/incoming_datagram.h"
#include "discovery/target_addresses.h"
#include "discovery/target_sweep.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

class DeviceSink;
class DiscoveryEndpoint;
class FinderView;

// The window's logic: start-up, refresh and reply handling. It reaches the
// window only through FinderView, and puts the devices that answer into a
// DeviceSink: the results' (the table, the list mode's records), or while
// watching the watch's.
class FinderController : public QObject
{
    Q_OBJECT

public:
    // results: set up at start-up, emptied by every refresh, filled by the
    // replies; none where only a watch takes them.
    FinderController(FinderView &view, DeviceSink *results, DiscoveryEndpoint &endpoint,
                     QObject *parent = nullptr);

    // The window has been created: set the header, then query (a refresh
    // when there are no targets).
    void start(const TargetList &targets = {}, double ratePerSecond = TargetSweep::DefaultRate);
    // The Refresh button (or start-up): rebind, clear, send the request.
    void refresh();
    // A refresh whose request also goes to every target address, paced,
    // after the broadcast. A later refresh broadcasts only.
    void query(const TargetList &targets, double ratePerSecond = TargetSweep::DefaultRate);
    // Datagrams from the endpoint, handled one by one in arrival order.
    void onDatagrams(const QList<IncomingDatagram> &batch);

    // Watching: accepted replies go to watch instead of the results, which
    // keep what they hold, and the view is not told of them (the count
    // label is the watch's). nullptr, or a refresh, ends it.
    void setWatching(DeviceSink *watch);
    bool isWatching() const { return m_watch != nullptr; }
    // A watch round: the request again on the open socket, without the
    // refresh's close, rebind and emptying. Opens the socket if it is closed.
    // False when the request did not go out (the view was told why).
    bool resend();

    const QString &lastReply() const { return m_lastReply; }
    const DiscoveryEndpoint &endpoint() const { return m_endpoint; }
    qint16 foundCount() const { return m_foundCount; }
    // Device replies the full results had no room for since the clearing.
    qint64 droppedCount() const { return m_droppedCount; }
    // Also while the bind helper is asked for the port.
    bool isSending() const { return m_awaitingBind || m_sweep.isRunning(); }

    // How long a request may go unanswered before the view hints at why.
    static constexpr int NoReplyHintDelayMs = 3000;

Q_SIGNALS:
    // The last refresh or query has sent everything it had to send.
    void sendingFinished();

private:
    void endNoReplyWait();
    void onSweepFinished();
    void onReopened(const std::optional<EndpointError> &failure);
    void handle(const IncomingDatagram &datagram);

    FinderView &m_view;
    DeviceSink *const m_results;
    DeviceSink *m_watch = nullptr;
    DiscoveryEndpoint &m_endpoint;

    TargetSweep m_sweep;
    // The query that waits for its bind.
    TargetList m_targets;
    // Asked one by one: a device among them answered a request routed to
    // it, so a subnet of its own does not keep it out of reach.
    TargetList m_askedDirectly;
    double m_ratePerSecond = TargetSweep::DefaultRate;
    bool m_awaitingBind = false;
    QString m_lastReply;
    qint16 m_foundCount = 0;
    qint64 m_droppedCount = 0;
    // Counts queries, so the rest of a batch from a socket that a handler
    // closed is not taken.
    quint64 m_queries = 0;
    QTimer m_noReplyTimer;
};
