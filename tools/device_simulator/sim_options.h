#pragma once

#include "tools/device_simulator/device_identity.h"
#include "tools/device_simulator/ipv4_address.h"

#include <optional>
#include <string>
#include <vector>

struct SimOptions
{
    enum class Mode { Listen, Send, Help };
    Mode mode = Mode::Listen;

    // Device addresses, one device each; empty: answer from the address the
    // request arrived on.
    std::vector<std::uint32_t> addresses;
    IdentityOverrides fields;
    bool trailingLineFeed = false;
    std::optional<std::string> raw;  // exact reply payload
    std::vector<std::string> payloads;  // or: exact payloads taken in turn

    int repeat = 1;                  // copies of each reply
    std::optional<int> burst;        // replies per answer; default one per address
    double rate = 0;                 // replies per second, 0 = unpaced
    int spreadMs = 0;                // or: spread one answer over this time

    // listen mode
    std::uint16_t port = 8002;
    bool answerAny = false;          // answer every datagram, not only the request
    bool once = false;
    int exitAfterMs = 0;
    bool exitWithParent = false;
    std::string readyFile;

    // send mode
    std::optional<Ipv4Endpoint> to;
    std::uint16_t fromPort = 0;
    bool broadcast = false;

    std::string logFile;
    bool quiet = false;
};

// Throws std::invalid_argument with a message fit for the user.
SimOptions parseSimOptions(int argc, char **argv);
const char *simUsage();
