#pragma once

#include "discovery/bind_helper_client.h"
#include "discovery/broadcast_interfaces.h"
#include "discovery/datagram_reader.h"
#include "discovery/endpoint_error.h"
#include "discovery/incoming_datagram.h"

#include <QByteArray>
#include <QHash>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <QUdpSocket>

#include <deque>
#include <optional>
#include <variant>

// The finder's single UDP endpoint: broadcasts the request and hands the
// replies to the window's thread as values, in arrival order, a few at a
// time. A reader thread drains the socket meanwhile, so a repaint never
// costs a reply.
class DiscoveryEndpoint : public QObject
{
    Q_OBJECT

public:
    struct Settings
    {
        QHostAddress destinationHost{QHostAddress::Broadcast};
        quint16 destinationPort = 8002;
        quint16 localPort = 1010;
        // Address bound by reopen; all IPv4 addresses for the finder itself.
        QHostAddress localAddress{QHostAddress::AnyIPv4};
        // The blocking pause before the close and before the bind.
        int pauseMs = 100;
        // Send the broadcast once per broadcast-capable interface; off in
        // loopback tests, where the destination is a unicast address.
        bool sendOnEveryInterface = true;
        // Interfaces the broadcast may leave through, by name; all when empty.
        QStringList interfaceNames;
    };

    explicit DiscoveryEndpoint(QObject *parent = nullptr);
    explicit DiscoveryEndpoint(const Settings &settings, QObject *parent = nullptr);
    ~DiscoveryEndpoint() override;

    // Pause, close, record destination and local port, pause, bind.
    // Returns the bind failure, if any; the endpoint is then left closed.
    std::optional<EndpointError> reopen();
    // The same for the window's thread, which must not wait on the bind
    // helper: reopened() follows, at once when this process binds itself,
    // or when the helper has answered or timed out. A reopen meanwhile
    // supersedes it, and the superseded one is not told.
    void reopenWithoutWaiting();

    // Sends the text as one datagram to the destination: through one
    // interface per subnet when it is the limited broadcast. Fails only when
    // nothing went out; sendWarnings() tells which interfaces failed.
    std::optional<EndpointError> send(const QString &text);
    // Interfaces whose copy of the last send() failed while others carried
    // it, each with the system's reason.
    const QList<EndpointError> &sendWarnings() const { return m_sendWarnings; }
    // The interfaces the last send()'s broadcast went out through, with
    // their subnets, one per subnet group; empty when it went to the
    // destination without choosing an interface.
    const QList<BroadcastInterface> &broadcastRoutes() const { return m_broadcastRoutes; }
    // The subnets those interfaces reach.
    QList<Ipv4Subnet> broadcastSubnets() const;

    // Sends the text to one address at the destination port: a device that
    // no broadcast reaches, e.g. one behind a router.
    std::optional<EndpointError> sendTo(const QString &text, const QHostAddress &address);

    bool isBound() const;
    const Settings &settings() const { return m_settings; }
    // Takes effect with the next send().
    void setInterfaceNames(const QStringList &names) { m_settings.interfaceNames = names; }

Q_SIGNALS:
    // The next datagrams, in arrival order, on the thread that owns the
    // endpoint; at most FloodPolicy::LookEvery at a time. A handler that
    // reopens the endpoint leaves the rest of its batch: it came from the
    // socket that closed.
    void datagramsArrived(const QList<IncomingDatagram> &batch);
    // The end of reopenWithoutWaiting(): the bind's failure, if any.
    void reopened(const std::optional<EndpointError> &failure);

private:
    void notifyQueued();
    void scheduleNotify();
    void close();
    void prepareReopen();
    std::optional<EndpointError> adopt(std::variant<int, EndpointError> bound);
    std::optional<EndpointError> sendThrough(const QByteArray &payload, const QHostAddress &host,
                                             int interfaceIndex);
    // The datagram as a value, with its sender and interface in words.
    IncomingDatagram handedOver(const ReceivedDatagram &datagram);

    Settings m_settings;
    // Sends, and owns the descriptor the reader reads.
    QUdpSocket *m_socket = nullptr;
    // The helper's answer that reopenWithoutWaiting() waits for.
    bind_helper::Request *m_helperRequest = nullptr;
    QList<EndpointError> m_sendWarnings;
    QList<BroadcastInterface> m_broadcastRoutes;
    DatagramReader m_reader;
    // Declared after the reader: it goes first, before the reader closes
    // the descriptor it watches.
    QSocketNotifier m_readerWake;
    // Taken from the reader, waiting for their notifications.
    std::deque<ReceivedDatagram> m_queue;
    // The batch being handed over; kept to reuse its storage.
    QList<IncomingDatagram> m_batch;
    bool m_notifying = false;
    bool m_notifyScheduled = false;
    // Hand-over waits on this while a flood comes in.
    QTimer m_readerCatchUp;
    QElapsedTimer m_yieldingSince;
    bool m_flooded = false;   // as the log last said
    // Arrival times count from here: a time in UTC needs no time zone
    // look-up, which would cost more than the rest of a reply's hand-over.
    const QDateTime m_epochUtc = QDateTime::fromMSecsSinceEpoch(0).toUTC();
    // Interfaces by index, looked up once per socket rather than per reply.
    QHash<int, BroadcastInterface> m_arrivalInterfaces;
    // Counts reopens, so a notification round notices one made by a handler.
    quint64 m_generation = 0;
};
