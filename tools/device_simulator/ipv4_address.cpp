#include "tools/device_simulator/ipv4_address.h"

#include <arpa/inet.h>

#include <charconv>
#include <stdexcept>

namespace ipv4 {
namespace {

unsigned long parseNumber(std::string_view text, unsigned long max, const char *what)
{
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max)
        throw std::invalid_argument(std::string("bad ") + what + ": " + std::string(text));
    return value;
}

} // namespace

std::uint32_t parse(std::string_view text)
{
    in_addr addr{};
    if (inet_pton(AF_INET, std::string(text).c_str(), &addr) != 1)
        throw std::invalid_argument("bad IPv4 address: " + std::string(text));
    return ntohl(addr.s_addr);
}

Ipv4Endpoint parseEndpoint(std::string_view text)
{
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos)
        throw std::invalid_argument("expected ADDRESS:PORT: " + std::string(text));
    return {parse(text.substr(0, colon)),
            static_cast<std::uint16_t>(parseNumber(text.substr(colon + 1), 65535, "port"))};
}

std::vector<std::uint32_t> parseRange(std::string_view text)
{
    const auto plus = text.find('+');
    const std::uint32_t first = parse(text.substr(0, plus));
    if (plus == std::string_view::npos)
        return {first};
    const auto count = parseNumber(text.substr(plus + 1), 1u << 20, "address count");
    if (count == 0 || first + (count - 1) < first)
        throw std::invalid_argument("address range out of bounds: " + std::string(text));
    std::vector<std::uint32_t> out;
    out.reserve(count);
    for (unsigned long i = 0; i < count; ++i)
        out.push_back(first + static_cast<std::uint32_t>(i));
    return out;
}

std::string format(std::uint32_t address)
{
    return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 0xff) + '.'
        + std::to_string(address >> 8 & 0xff) + '.' + std::to_string(address & 0xff);
}

std::string format(const Ipv4Endpoint &endpoint)
{
    return format(endpoint.address) + ':' + std::to_string(endpoint.port);
}

} // namespace ipv4
