#pragma once

#include "target_addresses.h"
#include "target_sweep.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

class DeviceTable;
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

    const QString &lastReply() const { return m_lastReply; }
    qint16 foundCount() const { return m_foundCount; }
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

    FinderView &m_view;
    DeviceTable &m_table;
    DiscoveryEndpoint &m_endpoint;

    TargetSweep m_sweep;
    // The query that waits for its bind.
    TargetList m_targets;
    double m_ratePerSecond = TargetSweep::DefaultRate;
    bool m_awaitingBind = false;
    QString m_lastReply;
    qint16 m_foundCount = 0;
    QTimer m_noReplyTimer;
};
