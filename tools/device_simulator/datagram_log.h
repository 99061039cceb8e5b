#pragma once

#include "tools/device_simulator/device_identity.h"
#include "tools/device_simulator/udp_port.h"

#include <cstdio>
#include <string>
#include <string_view>

// One line per datagram received or sent, tab-separated key=value fields
// after a leading kind word ("recv", "sent", "error"), e.g.
//   recv  src=10.77.16.1:1010  dst=255.255.255.255:8002  local=10.77.16.10  if=vd1
//         len=21  hex=6869...  text=hip/1.0\nrequest: echo
//   sent  src=10.77.16.10:8002  dst=10.77.16.1:1010  mac=...  serial=...  sw=...
//         description=...  len=...  hex=...  text=...
// Values are escaped as payload_text::escape does; hex= is the exact payload.
// Every line is flushed at once, so a reader that sees a reply arrive also
// finds the request that caused it already logged.
class DatagramLog
{
public:
    // Empty path: no file. Throws std::system_error if the file cannot be opened.
    DatagramLog(const std::string &path, bool toStdout);
    ~DatagramLog();
    DatagramLog(const DatagramLog &) = delete;
    DatagramLog &operator=(const DatagramLog &) = delete;

    // Whether lines go anywhere; building them costs more than a send.
    bool active() const { return m_file || m_toStdout; }

    void received(const UdpPort::Datagram &datagram, std::uint16_t localPort);
    // identity is null for raw payloads.
    void sent(const Ipv4Endpoint &from, const Ipv4Endpoint &to, std::string_view payload,
              const DeviceIdentity *identity);
    void sendFailed(const Ipv4Endpoint &from, const Ipv4Endpoint &to, int error);

private:
    void write(const std::string &line);

    std::FILE *m_file = nullptr;
    bool m_toStdout;
};
