#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>
#include <vector>

// Sends prepared datagrams from one UDP socket, each from a chosen local
// source address (IP_PKTINFO), so one process speaks for thousands of
// devices. Spacing is kept against deadlines from one start time, so the
// schedule does not drift with the cost of each send.
class PacedSender
{
public:
    struct Datagram
    {
        std::string payload;
        in_addr source{};   // INADDR_ANY: the kernel picks
    };

    struct Result
    {
        std::int64_t sent = 0;
        std::int64_t failed = 0;
        int firstError = 0;
        std::int64_t firstNs = 0;   // CLOCK_MONOTONIC
        std::int64_t lastNs = 0;
    };

    // Throws std::system_error.
    explicit PacedSender(const sockaddr_in &destination);
    ~PacedSender();
    PacedSender(const PacedSender &) = delete;
    PacedSender &operator=(const PacedSender &) = delete;

    // stepNs 0: as fast as the socket takes them, in batches.
    Result send(const std::vector<Datagram> &datagrams, std::int64_t stepNs);

private:
    Result sendBatched(const std::vector<Datagram> &datagrams);
    Result sendPaced(const std::vector<Datagram> &datagrams, std::int64_t stepNs);
    int sendOne(const Datagram &datagram);

    int m_fd = -1;
    sockaddr_in m_destination{};
};
