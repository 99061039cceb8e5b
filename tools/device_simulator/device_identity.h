#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What one simulated device says about itself. Values are bytes as they go
// on the wire; the description may be in any encoding (e.g. GB18030).
struct DeviceIdentity
{
    std::string mac;
    std::string swVersion;
    std::string serial;
    std::string display;
    std::string description;
};

// Values given on the command line. Text values may hold {ip} and {n}
// (1-based device number within one answer), so many devices can share one
// option and still differ. A hex description is used byte for byte.
struct IdentityOverrides
{
    std::optional<std::string> mac;
    std::optional<std::string> swVersion;
    std::optional<std::string> serial;
    std::optional<std::string> display;
    std::optional<std::string> description;
    bool descriptionIsTemplate = true;
};

// A device's defaults come from its address and generation (the how-many-th
// device on the same address within a burst), so no two devices of one run
// share a MAC or serial number.
DeviceIdentity makeIdentity(std::uint32_t address, unsigned generation, unsigned number,
                            const IdentityOverrides &overrides);

// The five keys in their order, one per line; the description line runs to
// the end of the payload unless a trailing line feed is asked for.
std::string composeReply(const DeviceIdentity &identity, bool trailingLineFeed);
