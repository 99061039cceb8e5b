#pragma once

#include "discovery/target_addresses.h"
#include "discovery/target_sweep.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

class DeviceTable;
struct DeviceReply;
class DiscoveryEndpoint;
class FinderView;

// The window's logic: start-up, refresh and reply handling. It reaches the
// window only through FinderView.
class FinderController : public QObject
{
    Q_OBJECT

public:
    FinderController(FinderView &view, DeviceTable &table, DiscoveryEndpoint &endpoint,
                     QObject *parent = nullptr);

    // The window has been created: set the header, then query (a refresh
    // when there are no targets).
    void start(const TargetList &targets = {}, double ratePerSecond = TargetSweep::DefaultRate);
    // The Refresh button (or start-up): rebind, clear, send the request.
    void refresh();
    // A refresh whose request also goes to every target address, paced,
    // after the broadcast. A later refresh broadcasts only.
    void query(const TargetList &targets, double ratePerSecond = TargetSweep::DefaultRate);
    // One datagram arrived on the endpoint.
    void onDatagram(qint64 bytesTotal);

    // Watching: accepted replies go out as deviceAnswered() instead of
    // into the table, which keeps what it holds; the count label is the
    // watch's. A refresh ends it.
    void setWatching(bool watching);
    bool isWatching() const { return m_watching; }
    // A watch round: the request again on the open socket, without the
    // refresh's close, rebind and emptying. Opens the socket if it is closed.
    // False when the request did not go out (the view was told why).
    bool resend();

    const QString &lastReply() const { return m_lastReply; }
    qint16 foundCount() const { return m_foundCount; }
    // Also while the bind helper is asked for the port.
    bool isSending() const { return m_awaitingBind || m_sweep.isRunning(); }

    // How long a request may go unanswered before the view hints at why.
    static constexpr int NoReplyHintDelayMs = 3000;

Q_SIGNALS:
    // The last refresh or query has sent everything it had to send.
    void sendingFinished();
    // While watching: a reply the table would have taken.
    void deviceAnswered(const DeviceReply &reply, const QString &senderAddress);

private:
    void endNoReplyWait();
    void onSweepFinished();
    void onReopened(const std::optional<EndpointError> &failure);

    FinderView &m_view;
    DeviceTable &m_table;
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
    bool m_watching = false;
    QTimer m_noReplyTimer;
};
