#include "discovery/bound_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::variant<int, EndpointError> bindDiscoverySocket(const QHostAddress &address, quint16 port)
{
    const bool ipv4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    sockaddr_storage local{};
    socklen_t localLength = 0;
    if (ipv4) {
        auto &in = reinterpret_cast<sockaddr_in &>(local);
        in.sin_family = AF_INET;
        in.sin_port = htons(port);
        in.sin_addr.s_addr = htonl(address.toIPv4Address());
        localLength = sizeof in;
    } else {
        auto &in6 = reinterpret_cast<sockaddr_in6 &>(local);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();   // :: for QHostAddress::Any
        std::memcpy(&in6.sin6_addr, &bytes, sizeof bytes);
        in6.sin6_scope_id = address.scopeId().toUInt();
        localLength = sizeof in6;
    }

    int descriptor = ::socket(local.ss_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int on = 1;
    const int off = 0;
    // Any on a dual-stack socket takes IPv4 senders too.
    const bool ok = descriptor >= 0
            && ::setsockopt(descriptor, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0
            && (ipv4 || address != QHostAddress(QHostAddress::Any)
                || ::setsockopt(descriptor, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) == 0)
            // No SO_REUSEADDR: a second finder, or any program on the port,
            // fails loudly instead of splitting the replies with us.
            && ::bind(descriptor, reinterpret_cast<const sockaddr *>(&local), localLength) == 0;
    if (ok)
        return descriptor;

    const int systemError = errno;
    if (descriptor >= 0)
        ::close(descriptor);
    return EndpointError{EndpointError::Operation::Bind, address.toString(), port, socketErrorFor(systemError),
                         qt_error_string(systemError)};
}
