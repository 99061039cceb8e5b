#include "tools/device_simulator/udp_port.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

[[noreturn]] void fail(const std::string &what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

sockaddr_in toSockaddr(const Ipv4Endpoint &endpoint)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(endpoint.address);
    sa.sin_port = htons(endpoint.port);
    return sa;
}

} // namespace

UdpPort::UdpPort(const Ipv4Endpoint &bindTo, bool allowBroadcast)
{
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        fail("socket");
    const int on = 1;
    if (::setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) < 0
        || (allowBroadcast && ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) < 0)) {
        const int saved = errno;
        ::close(m_fd);
        errno = saved;
        fail("setsockopt");
    }
    // Bursts of thousands of replies should not block on a small send buffer.
    const int buffer = 4 << 20;
    ::setsockopt(m_fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);

    const sockaddr_in sa = toSockaddr(bindTo);
    if (::bind(m_fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) < 0) {
        const int saved = errno;
        ::close(m_fd);
        errno = saved;
        fail("bind " + ipv4::format(bindTo));
    }
    sockaddr_in bound{};
    socklen_t len = sizeof bound;
    ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&bound), &len);
    m_localPort = ntohs(bound.sin_port);
}

UdpPort::~UdpPort()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool UdpPort::receive(Datagram &out, int timeoutMs)
{
    pollfd pfd{m_fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, timeoutMs);
    if (ready < 0 && errno != EINTR)
        fail("poll");
    if (ready <= 0)
        return false;

    char buffer[65536];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    sockaddr_in from{};
    iovec iov{buffer, sizeof buffer};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;

    const ssize_t n = ::recvmsg(m_fd, &msg, 0);
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN)
            return false;
        fail("recvmsg");
    }
    out = Datagram{};
    out.payload.assign(buffer, static_cast<std::size_t>(n));
    out.truncated = (msg.msg_flags & MSG_TRUNC) != 0;
    out.source = {ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
    for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            out.destination = ntohl(info.ipi_addr.s_addr);
            out.localAddress = ntohl(info.ipi_spec_dst.s_addr);
            out.interfaceIndex = info.ipi_ifindex;
        }
    }
    return true;
}

namespace {

struct Control
{
    alignas(cmsghdr) char bytes[CMSG_SPACE(sizeof(in_pktinfo))];
};

// msg for one datagram from source (0: the kernel picks); the buffers must
// outlive the send.
void prepare(msghdr &msg, iovec &iov, Control &control, sockaddr_in &to, std::uint32_t source,
             std::string_view payload)
{
    iov = {const_cast<char *>(payload.data()), payload.size()};
    msg = {};
    msg.msg_name = &to;
    msg.msg_namelen = sizeof to;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    if (source == 0)
        return;
    std::memset(control.bytes, 0, sizeof control.bytes);
    msg.msg_control = control.bytes;
    msg.msg_controllen = sizeof control.bytes;
    cmsghdr *c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = htonl(source);
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
}

} // namespace

int UdpPort::send(std::uint32_t source, const Ipv4Endpoint &to, std::string_view payload)
{
    sockaddr_in dest = toSockaddr(to);
    msghdr msg;
    iovec iov;
    Control control;
    prepare(msg, iov, control, dest, source, payload);
    for (;;) {
        if (::sendmsg(m_fd, &msg, 0) >= 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

int UdpPort::sendBatch(const std::uint32_t *sources, const std::string_view *payloads, std::size_t count,
                       const Ipv4Endpoint &to)
{
    constexpr std::size_t Batch = 64;
    mmsghdr messages[Batch];
    iovec iovs[Batch];
    Control controls[Batch];
    sockaddr_in dest[Batch];
    count = std::min(count, Batch);
    for (std::size_t i = 0; i < count; ++i) {
        dest[i] = toSockaddr(to);
        messages[i].msg_len = 0;
        prepare(messages[i].msg_hdr, iovs[i], controls[i], dest[i], sources[i], payloads[i]);
    }
    for (;;) {
        const int sent = ::sendmmsg(m_fd, messages, static_cast<unsigned>(count), 0);
        if (sent >= 0 || errno != EINTR)
            return sent >= 0 ? sent : -errno;
    }
}

std::string interfaceName(int index)
{
    char name[IF_NAMESIZE] = {};
    if (index > 0 && ::if_indextoname(static_cast<unsigned>(index), name))
        return name;
    return index > 0 ? std::to_string(index) : std::string("-");
}
