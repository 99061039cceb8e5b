#include "answer.h"

#include <chrono>
#include <thread>

std::vector<PlannedReply> planAnswer(const SimOptions &options, std::uint32_t fallbackAddress)
{
    const std::vector<std::uint32_t> fallback{fallbackAddress};
    const auto &addresses = options.addresses.empty() ? fallback : options.addresses;
    const auto count = static_cast<std::size_t>(options.burst.value_or(static_cast<int>(addresses.size())));

    std::vector<PlannedReply> replies;
    replies.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint32_t address = addresses[k % addresses.size()];
        PlannedReply reply;
        reply.source = options.addresses.empty() ? 0 : address;
        if (options.raw) {
            reply.payload = *options.raw;
        } else {
            reply.identity = makeIdentity(address, static_cast<unsigned>(k / addresses.size()),
                                          static_cast<unsigned>(k + 1), options.fields);
            reply.payload = composeReply(*reply.identity, options.trailingLineFeed);
        }
        replies.push_back(std::move(reply));
    }
    return replies;
}

int sendAnswer(UdpPort &port, DatagramLog &log, const SimOptions &options,
               const std::vector<PlannedReply> &replies, const Ipv4Endpoint &to)
{
    using Clock = std::chrono::steady_clock;
    const std::size_t total = replies.size() * static_cast<std::size_t>(options.repeat);
    Clock::duration step{};
    if (options.rate > 0)
        step = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options.rate));
    else if (options.spreadMs > 0 && total > 1)
        step = std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(options.spreadMs)) / (total - 1);

    // Deadlines from one start time, so pacing does not drift with send cost.
    const auto start = Clock::now();
    std::size_t sent = 0;
    int failures = 0;
    for (const auto &reply : replies) {
        for (int r = 0; r < options.repeat; ++r) {
            if (step != Clock::duration{} && sent > 0)
                std::this_thread::sleep_until(start + step * sent);
            ++sent;
            const Ipv4Endpoint from{reply.source, port.localPort()};
            if (const int error = port.send(reply.source, to, reply.payload)) {
                log.sendFailed(from, to, error);
                ++failures;
            } else {
                log.sent(from, to, reply.payload, reply.identity ? &*reply.identity : nullptr);
            }
        }
    }
    return failures;
}
