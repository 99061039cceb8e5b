#pragma once

#include "tools/device_simulator/datagram_log.h"
#include "tools/device_simulator/device_identity.h"
#include "tools/device_simulator/sim_options.h"
#include "tools/device_simulator/udp_port.h"

#include <cstdint>
#include <optional>
#include <vector>

// One answer: the replies that go back for one request (or one send).
struct PlannedReply
{
    std::uint32_t source = 0;                // 0: the kernel picks
    std::string payload;
    std::optional<DeviceIdentity> identity;  // absent for raw payloads
};

// One reply per device: per address by default, or --burst devices
// round-robin over the addresses, later rounds with fresh identities.
// fallbackAddress stands in when no address is configured.
std::vector<PlannedReply> planAnswer(const SimOptions &options, std::uint32_t fallbackAddress);

struct SendReport
{
    std::size_t sent = 0;
    int failures = 0;            // each is logged
    std::int64_t firstNs = 0;    // CLOCK_MONOTONIC at the first send and the last
    std::int64_t lastNs = 0;
};

// Sends every reply options.repeat times, paced by --rate or --spread-ms,
// or else as fast as the socket takes them.
SendReport sendAnswer(UdpPort &port, DatagramLog &log, const SimOptions &options,
                      const std::vector<PlannedReply> &replies, const Ipv4Endpoint &to);
