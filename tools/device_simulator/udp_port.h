#pragma once

#include "tools/device_simulator/ipv4_address.h"

#include <string>
#include <string_view>

// One POSIX UDP socket. Listening sockets see each datagram's header
// destination and arrival interface (IP_PKTINFO); sends may pick any local
// source address, so one socket answers for thousands of device addresses.
class UdpPort
{
public:
    struct Datagram
    {
        std::string payload;
        Ipv4Endpoint source;
        std::uint32_t destination = 0;   // header destination, e.g. 255.255.255.255
        std::uint32_t localAddress = 0;  // the local address the kernel would answer from
        int interfaceIndex = 0;
        bool truncated = false;
    };

    // Throws std::system_error.
    UdpPort(const Ipv4Endpoint &bindTo, bool allowBroadcast);
    ~UdpPort();
    UdpPort(const UdpPort &) = delete;
    UdpPort &operator=(const UdpPort &) = delete;

    std::uint16_t localPort() const { return m_localPort; }

    // False when nothing arrived within timeoutMs (-1 waits for ever).
    bool receive(Datagram &out, int timeoutMs);

    // source 0 lets the kernel choose. Returns 0 or the errno of the send.
    int send(std::uint32_t source, const Ipv4Endpoint &to, std::string_view payload);
    // As many of the count payloads as one system call takes (at most 64),
    // payloads[i] from sources[i]; returns how many went, or -errno.
    int sendBatch(const std::uint32_t *sources, const std::string_view *payloads, std::size_t count,
                  const Ipv4Endpoint &to);

private:
    int m_fd = -1;
    std::uint16_t m_localPort = 0;
};

std::string interfaceName(int index);
