#include "discovery/discovery_endpoint.h"

#include "discovery/bound_socket.h"
#include "discovery/broadcast_interfaces.h"
#include "discovery/broadcast_plan.h"
#include "discovery/datagram_text.h"
#include "discovery/discovery_log.h"
#include "discovery/flood_policy.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QThread>
#include <QVariant>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <variant>

namespace {

void pause(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

// Qt folds several errno values into one generic text ("Unable to send a
// message"); the system's own wording tells the user what is actually wrong.
QString failureReason(const QUdpSocket &socket, int systemError)
{
    const QString qtReason = socket.errorString();
    if (systemError == 0)
        return qtReason;
    return QStringLiteral("%1 (%2)").arg(qtReason, qt_error_string(systemError));
}

QString dottedQuad(quint32 address)
{
    char16_t text[15];
    qsizetype length = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned octet = address >> shift & 0xffu;
        if (octet >= 100)
            text[length++] = static_cast<char16_t>(u'0' + octet / 100);
        if (octet >= 10)
            text[length++] = static_cast<char16_t>(u'0' + octet / 10 % 10);
        text[length++] = static_cast<char16_t>(u'0' + octet % 10);
        if (shift > 0)
            text[length++] = u'.';
    }
    return QString(reinterpret_cast<const QChar *>(text), length);
}

} // namespace

DiscoveryEndpoint::DiscoveryEndpoint(QObject *parent)
    : DiscoveryEndpoint(Settings{}, parent)
{
}

DiscoveryEndpoint::DiscoveryEndpoint(const Settings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_socket(new QUdpSocket(this))
    , m_readerWake(m_reader.wakeDescriptor(), QSocketNotifier::Read)
{
    // A broadcast to the local segment never goes through a proxy, and asking
    // the system's proxy configuration costs every bind a lookup.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    m_readerCatchUp.setSingleShot(true);
    m_readerCatchUp.setTimerType(Qt::PreciseTimer);
    connect(&m_readerCatchUp, &QTimer::timeout, this, &DiscoveryEndpoint::notifyQueued);
    connect(&m_readerWake, &QSocketNotifier::activated, this, [this] {
        m_reader.clearWake();
        // A handler that lets the event loop run lands here too; the round it
        // interrupted goes on with what the reader holds.
        notifyQueued();
    });
}

DiscoveryEndpoint::~DiscoveryEndpoint()
{
    close();
}

void DiscoveryEndpoint::close()
{
    // The reader lets go of the descriptor before the socket closes it.
    m_reader.stop();
    m_socket->close();
}

void DiscoveryEndpoint::prepareReopen()
{
    pause(m_settings.pauseMs);
    ++m_generation;
    // A helper still asked for the last reopen's socket is not waited for.
    delete std::exchange(m_helperRequest, nullptr);
    close();
    // What was read from the old socket goes with it.
    m_queue.clear();
    m_arrivalInterfaces.clear();   // indexes may have been given to new interfaces
    // Destination and local port are fixed in m_settings for the endpoint's life.
    pause(m_settings.pauseMs);
}

std::optional<EndpointError> DiscoveryEndpoint::reopen()
{
    prepareReopen();
    // The privileged port comes bound from the helper that alone may bind it.
    const std::optional<QString> helper = bind_helper::helperFor(m_settings.localAddress, m_settings.localPort);
    return adopt(helper ? bind_helper::requestSocket(*helper)
                        : bindDiscoverySocket(m_settings.localAddress, m_settings.localPort));
}

void DiscoveryEndpoint::reopenWithoutWaiting()
{
    prepareReopen();
    const std::optional<QString> helper = bind_helper::helperFor(m_settings.localAddress, m_settings.localPort);
    if (!helper) {
        Q_EMIT reopened(adopt(bindDiscoverySocket(m_settings.localAddress, m_settings.localPort)));
        return;
    }
    m_helperRequest = new bind_helper::Request(*helper, bind_helper::AnswerTimeoutMs, this);
    connect(m_helperRequest, &bind_helper::Request::finished, this, [this] {
        // Gone once this signal has returned.
        bind_helper::Request *const request = std::exchange(m_helperRequest, nullptr);
        request->deleteLater();
        Q_EMIT reopened(adopt(request->takeAnswer()));
    });
}

std::optional<EndpointError> DiscoveryEndpoint::adopt(std::variant<int, EndpointError> bound)
{
    if (auto *const failure = std::get_if<EndpointError>(&bound))
        return std::move(*failure);
    const int descriptor = std::get<int>(bound);
    const int receiveBuffer = FloodPolicy::ReceiveBufferBytes;
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    // Without it replies still come, only without their interface.
    DatagramReader::enableArrivalInterface(descriptor);

    // The socket only sends; the reader alone receives.
    int systemError = 0;
    if (!m_socket->setSocketDescriptor(descriptor, QAbstractSocket::BoundState, QIODevice::WriteOnly)) {
        systemError = EBADF;
        ::close(descriptor);
    } else {
        systemError = m_reader.start(descriptor);
        if (systemError != 0)
            m_socket->close();
    }
    if (systemError == 0)
        return std::nullopt;
    return EndpointError{EndpointError::Operation::Bind, m_settings.localAddress.toString(), m_settings.localPort,
                         QAbstractSocket::SocketResourceError, qt_error_string(systemError)};
}

std::optional<EndpointError> DiscoveryEndpoint::send(const QString &text)
{
    m_sendWarnings.clear();
    m_broadcastRoutes.clear();
    const QByteArray payload = encodeDatagram(text);
    if (!isBound()) {
        // Sending would bind an ephemeral port whose replies nobody reads.
        return EndpointError{EndpointError::Operation::Send, m_settings.destinationHost.toString(),
                             m_settings.destinationPort, QAbstractSocket::SocketAddressNotAvailableError,
                             QStringLiteral("The endpoint is not bound")};
    }

    // Linux sends a limited broadcast only through the default route's
    // interface; devices on other attached segments need their own copy,
    // one per subnet.
    const bool limitedBroadcast = m_settings.destinationHost == QHostAddress(QHostAddress::Broadcast);
    if (!m_settings.sendOnEveryInterface || !limitedBroadcast)
        return sendThrough(payload, m_settings.destinationHost, 0);
    const BroadcastPlan::Selection selection =
            BroadcastPlan::select(broadcastInterfaces(), m_settings.interfaceNames);
    if (selection.interfaces.isEmpty()) {
        if (m_settings.interfaceNames.isEmpty())
            return sendThrough(payload, m_settings.destinationHost, 0);
        return EndpointError{EndpointError::Operation::Send, m_settings.destinationHost.toString(),
                             m_settings.destinationPort, QAbstractSocket::NetworkError,
                             QStringLiteral("None of the chosen interfaces (%1) is up with an IPv4 address")
                                     .arg(m_settings.interfaceNames.join(QStringLiteral(", ")))};
    }

    QList<EndpointError> failures;
    bool anySent = false;
    for (const BroadcastPlan::Group &group : BroadcastPlan::groupBySubnet(selection.interfaces)) {
        // The others on the subnet stand in when the first one's send fails.
        for (const BroadcastInterface &interface : group) {
            std::optional<EndpointError> failure = sendThrough(payload, m_settings.destinationHost, interface.index);
            if (!failure) {
                anySent = true;
                m_broadcastRoutes.append(interface);
                break;
            }
            failures.append(std::move(*failure));
        }
    }
    if (!anySent)
        return failures.value(0);
    m_sendWarnings = std::move(failures);
    return std::nullopt;
}

QList<Ipv4Subnet> DiscoveryEndpoint::broadcastSubnets() const
{
    QList<Ipv4Subnet> subnets;
    for (const BroadcastInterface &route : m_broadcastRoutes)
        subnets += route.subnets;
    return subnets;
}

std::optional<EndpointError> DiscoveryEndpoint::sendTo(const QString &text, const QHostAddress &address)
{
    if (!isBound()) {
        return EndpointError{EndpointError::Operation::Send, address.toString(), m_settings.destinationPort,
                             QAbstractSocket::SocketAddressNotAvailableError,
                             QStringLiteral("The endpoint is not bound")};
    }
    return sendThrough(encodeDatagram(text), address, 0);
}

std::optional<EndpointError> DiscoveryEndpoint::sendThrough(const QByteArray &payload, const QHostAddress &host,
                                                            int interfaceIndex)
{
    QNetworkDatagram datagram(payload, host, m_settings.destinationPort);
    if (interfaceIndex > 0)
        datagram.setInterfaceIndex(static_cast<uint>(interfaceIndex));
    errno = 0;
    const bool sent = m_socket->writeDatagram(datagram) == payload.size();
    const int systemError = errno;
    const auto interfaceName = [interfaceIndex] {
        return interfaceIndex > 0 ? QNetworkInterface::interfaceNameFromIndex(interfaceIndex) : QString();
    };
    qCDebug(lcDiscovery, "%s the request to %s port %u through %s", sent ? "sent" : "could not send",
            qUtf8Printable(host.toString()), unsigned(m_settings.destinationPort),
            interfaceIndex > 0 ? qUtf8Printable(interfaceName()) : "the interface the routing table picks");
    if (sent)
        return std::nullopt;

    EndpointError error{EndpointError::Operation::Send, host.toString(), m_settings.destinationPort,
                        m_socket->error(), failureReason(*m_socket, systemError)};
    error.interfaceName = interfaceName();
    return error;
}

IncomingDatagram DiscoveryEndpoint::handedOver(const ReceivedDatagram &datagram)
{
    IncomingDatagram incoming;
    incoming.text = decodeDatagram(datagram.payload);
    const bool ipv4 = datagram.otherSender.isNull();
    incoming.senderAddress = ipv4 ? dottedQuad(datagram.senderIPv4) : datagram.otherSender;
    incoming.senderIPv4 = ipv4 ? datagram.senderIPv4 : 0;
    incoming.arrivalTime = m_epochUtc.addMSecs(datagram.receivedAtMs);
    if (datagram.interfaceIndex <= 0)
        return incoming;
    auto entry = m_arrivalInterfaces.constFind(datagram.interfaceIndex);
    if (entry == m_arrivalInterfaces.constEnd())
        entry = m_arrivalInterfaces.insert(datagram.interfaceIndex, interfaceByIndex(datagram.interfaceIndex));
    incoming.interfaceName = entry->name;
    const QList<Ipv4Subnet> &subnets = entry->subnets;
    incoming.senderOnArrivalSubnet = !ipv4 || subnets.isEmpty()
            || std::any_of(subnets.begin(), subnets.end(),
                           [&datagram](const Ipv4Subnet &subnet) { return subnet.contains(datagram.senderIPv4); });
    return incoming;
}

bool DiscoveryEndpoint::isBound() const
{
    return m_socket->state() == QAbstractSocket::BoundState;
}

void DiscoveryEndpoint::notifyQueued()
{
    m_notifyScheduled = false;
    if (m_notifying)
        return;
    bool floodRound = false;
    const bool flooded = m_reader.isFlooded();
    if (flooded != std::exchange(m_flooded, flooded)) {
        qCInfo(lcDiscovery, flooded ? "a flood of replies: the hand-over waits while the reader catches up"
                                    : "the flood of replies is over");
    }
    if (flooded) {
        if (!m_yieldingSince.isValid())
            m_yieldingSince.start();
        if (!m_yieldingSince.hasExpired(FloodPolicy::YieldAtMostMs)) {
            if (!m_readerCatchUp.isActive())
                m_readerCatchUp.start(FloodPolicy::ReaderCatchUpMs);
            return;
        }
        floodRound = true;   // so a flood that does not end still shows
    }
    m_yieldingSince.invalidate();
    m_notifying = true;
    const quint64 generation = m_generation;
    const QDeadlineTimer budget(floodRound ? FloodPolicy::FloodRoundMs : FloodPolicy::NotifyBudgetMs,
                                Qt::PreciseTimer);
    for (;;) {
        if (m_queue.empty()) {
            m_reader.takeAll(m_queue);
            if (m_queue.empty())
                break;
        }
        m_batch.clear();
        while (!m_queue.empty() && m_batch.size() < FloodPolicy::LookEvery) {
            m_batch.append(handedOver(m_queue.front()));
            m_queue.pop_front();
        }
        Q_EMIT datagramsArrived(m_batch);
        // A handler that refreshed has emptied the queue and closed the
        // socket these came from.
        if (generation != m_generation || budget.hasExpired())
            break;
        if (!floodRound && m_reader.isFlooded())
            break;
    }
    m_notifying = false;
    // The rest waits for the repaint and input this round held up.
    if (!m_queue.empty() || m_reader.hasQueued())
        scheduleNotify();
}

void DiscoveryEndpoint::scheduleNotify()
{
    if (m_notifyScheduled)
        return;
    m_notifyScheduled = true;
    QMetaObject::invokeMethod(this, &DiscoveryEndpoint::notifyQueued, Qt::QueuedConnection);
}
