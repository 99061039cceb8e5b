#pragma once

#include "datagram_log.h"
#include "device_identity.h"
#include "sim_options.h"
#include "udp_port.h"

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

// Sends every reply options.repeat times, paced by --rate or --spread-ms.
// Returns the number of failed sends (each is logged).
int sendAnswer(UdpPort &port, DatagramLog &log, const SimOptions &options,
               const std::vector<PlannedReply> &replies, const Ipv4Endpoint &to);
