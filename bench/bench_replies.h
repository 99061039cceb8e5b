#pragma once

#include <cstdint>
#include <string>

// What the benchmark and the flood test send to the finder.
namespace bench_replies {

// A device reply from a device of its own: MAC address and serial number
// follow from the index, so replies with distinct indexes never repeat a
// device within one run.
std::string deviceReply(std::uint32_t index);

// Datagram k of a flood: half of them device replies, the rest what a busy
// segment also carries (empty MAC, other finders' requests, wrong-case keys,
// keys out of order, binary noise, large texts).
std::string floodDatagram(std::uint32_t k);

} // namespace bench_replies
