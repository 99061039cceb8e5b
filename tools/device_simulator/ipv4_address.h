#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// IPv4 addresses in host byte order, as the simulator's options name them.
struct Ipv4Endpoint
{
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

namespace ipv4 {

// All throw std::invalid_argument with the offending text.
std::uint32_t parse(std::string_view text);
// "A:P".
Ipv4Endpoint parseEndpoint(std::string_view text);
// "A" or "A+N": N consecutive addresses starting at A.
std::vector<std::uint32_t> parseRange(std::string_view text);

std::string format(std::uint32_t address);
std::string format(const Ipv4Endpoint &endpoint);

} // namespace ipv4
