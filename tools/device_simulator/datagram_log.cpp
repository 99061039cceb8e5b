#include "tools/device_simulator/datagram_log.h"

#include "tools/device_simulator/payload_text.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

std::string field(std::string_view key, std::string_view value)
{
    std::string out = "\t";
    out += key;
    out += '=';
    out += value;
    return out;
}

std::string payloadFields(std::string_view payload)
{
    return field("len", std::to_string(payload.size())) + field("hex", payload_text::toHex(payload))
        + field("text", payload_text::escape(payload));
}

} // namespace

DatagramLog::DatagramLog(const std::string &path, bool toStdout)
    : m_toStdout(toStdout)
{
    if (path.empty())
        return;
    m_file = std::fopen(path.c_str(), "a");
    if (!m_file)
        throw std::system_error(errno, std::generic_category(), "open log " + path);
}

DatagramLog::~DatagramLog()
{
    if (m_file)
        std::fclose(m_file);
}

void DatagramLog::received(const UdpPort::Datagram &datagram, std::uint16_t localPort)
{
    std::string line = "recv" + field("src", ipv4::format(datagram.source))
        + field("dst", ipv4::format(Ipv4Endpoint{datagram.destination, localPort}))
        + field("local", ipv4::format(datagram.localAddress))
        + field("if", interfaceName(datagram.interfaceIndex));
    if (datagram.truncated)
        line += field("truncated", "1");
    write(line + payloadFields(datagram.payload));
}

void DatagramLog::sent(const Ipv4Endpoint &from, const Ipv4Endpoint &to, std::string_view payload,
                       const DeviceIdentity *identity)
{
    std::string line = "sent" + field("src", ipv4::format(from)) + field("dst", ipv4::format(to));
    if (identity) {
        line += field("mac", payload_text::escape(identity->mac))
            + field("serial", payload_text::escape(identity->serial))
            + field("sw", payload_text::escape(identity->swVersion))
            + field("description", payload_text::escape(identity->description));
    }
    write(line + payloadFields(payload));
}

void DatagramLog::sendFailed(const Ipv4Endpoint &from, const Ipv4Endpoint &to, int error)
{
    write("error" + field("src", ipv4::format(from)) + field("dst", ipv4::format(to))
          + field("reason", std::strerror(error)));
}

void DatagramLog::write(const std::string &line)
{
    if (m_file) {
        std::fputs(line.c_str(), m_file);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }
    if (m_toStdout) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}
