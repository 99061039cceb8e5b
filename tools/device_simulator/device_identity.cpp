#include "tools/device_simulator/device_identity.h"

#include "tools/device_simulator/ipv4_address.h"

#include <cstdio>

namespace {

std::string substitute(const std::string &pattern, std::uint32_t address, unsigned number)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        if (pattern.compare(i, 4, "{ip}") == 0) {
            out += ipv4::format(address);
            i += 4;
        } else if (pattern.compare(i, 3, "{n}") == 0) {
            out += std::to_string(number);
            i += 3;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

} // namespace

DeviceIdentity makeIdentity(std::uint32_t address, unsigned generation, unsigned number,
                            const IdentityOverrides &overrides)
{
    // 40 bits: the generation above the address's low 24 bits. Lab devices
    // differ within those 24 bits, so MAC and serial stay unique per run.
    const std::uint64_t unique = (std::uint64_t{generation} << 24) | (address & 0xffffffu);

    char mac[24];
    std::snprintf(mac, sizeof mac, "02-%02X-%02X-%02X-%02X-%02X",
                  static_cast<unsigned>(unique >> 32 & 0xff), static_cast<unsigned>(unique >> 24 & 0xff),
                  static_cast<unsigned>(unique >> 16 & 0xff), static_cast<unsigned>(unique >> 8 & 0xff),
                  static_cast<unsigned>(unique & 0xff));
    char serial[16];
    std::snprintf(serial, sizeof serial, "%012llu",
                  static_cast<unsigned long long>(unique % 1000000000000ull));

    std::string description = "Door phone " + ipv4::format(address);
    if (generation > 0)
        description += " #" + std::to_string(generation + 1);

    DeviceIdentity id{mac,
                      "1." + std::to_string(address >> 8 & 0xff) + '.' + std::to_string(address & 0xff),
                      serial, "1", description};

    const auto apply = [&](const std::optional<std::string> &value, std::string &field) {
        if (value)
            field = substitute(*value, address, number);
    };
    apply(overrides.mac, id.mac);
    apply(overrides.swVersion, id.swVersion);
    apply(overrides.serial, id.serial);
    apply(overrides.display, id.display);
    if (overrides.description) {
        id.description = overrides.descriptionIsTemplate
            ? substitute(*overrides.description, address, number)
            : *overrides.description;
    }
    return id;
}

std::string composeReply(const DeviceIdentity &identity, bool trailingLineFeed)
{
    std::string reply = "mac-address: " + identity.mac + '\n'
        + "sw-version: " + identity.swVersion + '\n'
        + "serial-number: " + identity.serial + '\n'
        + "display: " + identity.display + '\n'
        + "description: " + identity.description;
    if (trailingLineFeed)
        reply += '\n';
    return reply;
}
