#include "discovery_endpoint.h"

#include "broadcast_interfaces.h"
#include "datagram_text.h"

#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QThread>
#include <QVariant>

#include <cerrno>

namespace {

// A burst of replies must not be dropped by the kernel before the window
// thread gets to them; without privileges net.core.rmem_max caps this.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;

// Datagrams handled per readyRead; the notifier is level-triggered, so the
// rest are picked up on its next round, after pending window events.
constexpr int ReadBatch = 64;

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

} // namespace

DiscoveryEndpoint::DiscoveryEndpoint(QObject *parent)
    : DiscoveryEndpoint(Settings{}, parent)
{
}

DiscoveryEndpoint::DiscoveryEndpoint(const Settings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_socket(new QUdpSocket(this))
{
    // A broadcast to the local segment never goes through a proxy, and asking
    // the system's proxy configuration costs every bind a lookup.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket, &QUdpSocket::readyRead, this, &DiscoveryEndpoint::readPending);
}

DiscoveryEndpoint::~DiscoveryEndpoint() = default;

std::optional<EndpointError> DiscoveryEndpoint::reopen()
{
    pause(m_settings.pauseMs);
    ++m_generation;
    m_socket->close();
    m_current = {};
    // Destination and local port are fixed in m_settings for the endpoint's life.
    pause(m_settings.pauseMs);

    // Without address sharing a second finder, or any program on the port,
    // fails loudly instead of splitting the replies with us.
    errno = 0;
    if (!m_socket->bind(m_settings.localAddress, m_settings.localPort,
                        QAbstractSocket::DontShareAddress)) {
        const int systemError = errno;
        return EndpointError{EndpointError::Operation::Bind, m_settings.localAddress.toString(),
                             m_settings.localPort, m_socket->error(),
                             failureReason(*m_socket, systemError)};
    }
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, ReceiveBufferBytes);
    return std::nullopt;
}

std::optional<EndpointError> DiscoveryEndpoint::send(const QString &text)
{
    const QByteArray payload = encodeDatagram(text);
    if (!isBound()) {
        // Sending would bind an ephemeral port whose replies nobody reads.
        return EndpointError{EndpointError::Operation::Send, m_settings.destinationHost.toString(),
                             m_settings.destinationPort, QAbstractSocket::SocketAddressNotAvailableError,
                             QStringLiteral("The endpoint is not bound")};
    }

    // Linux sends a limited broadcast only through the default route's
    // interface; devices on other attached segments need their own copy.
    const bool limitedBroadcast = m_settings.destinationHost == QHostAddress(QHostAddress::Broadcast);
    const QList<int> interfaces = m_settings.sendOnEveryInterface && limitedBroadcast
            ? broadcastInterfaceIndexes()
            : QList<int>{};
    if (interfaces.isEmpty())
        return sendThrough(payload, 0);

    std::optional<EndpointError> firstFailure;
    bool anySent = false;
    for (const int index : interfaces) {
        std::optional<EndpointError> failure = sendThrough(payload, index);
        anySent = anySent || !failure;
        if (failure && !firstFailure)
            firstFailure = std::move(failure);
    }
    return anySent ? std::nullopt : firstFailure;
}

std::optional<EndpointError> DiscoveryEndpoint::sendThrough(const QByteArray &payload, int interfaceIndex)
{
    QNetworkDatagram datagram(payload, m_settings.destinationHost, m_settings.destinationPort);
    if (interfaceIndex > 0)
        datagram.setInterfaceIndex(static_cast<uint>(interfaceIndex));
    errno = 0;
    if (m_socket->writeDatagram(datagram) == payload.size())
        return std::nullopt;

    QString reason = failureReason(*m_socket, errno);
    if (interfaceIndex > 0)
        reason += QStringLiteral(" (via %1)").arg(QNetworkInterface::interfaceNameFromIndex(interfaceIndex));
    return EndpointError{EndpointError::Operation::Send, m_settings.destinationHost.toString(),
                         m_settings.destinationPort, m_socket->error(), reason};
}

QString DiscoveryEndpoint::readDatagram() const
{
    return decodeDatagram(m_current.data());
}

QString DiscoveryEndpoint::senderAddress() const
{
    const QHostAddress sender = m_current.senderAddress();
    bool isIPv4 = false;
    const quint32 ipv4 = sender.toIPv4Address(&isIPv4);   // also unwraps ::ffff:a.b.c.d
    return isIPv4 ? QHostAddress(ipv4).toString() : sender.toString();
}

bool DiscoveryEndpoint::isBound() const
{
    return m_socket->state() == QAbstractSocket::BoundState;
}

void DiscoveryEndpoint::readPending()
{
    const quint64 generation = m_generation;
    for (int handled = 0; handled < ReadBatch; ++handled) {
        // A handler that refreshed has closed the socket these came from.
        if (generation != m_generation || !m_socket->hasPendingDatagrams())
            return;
        m_current = m_socket->receiveDatagram();
        if (!m_current.isValid())
            return;
        Q_EMIT dataArrival(m_current.data().size());
    }
}
