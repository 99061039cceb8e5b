#include "tools/device_simulator/answer.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nanoseconds(Clock::time_point t)
{
    // steady_clock is CLOCK_MONOTONIC, one clock for every network namespace.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// A sleep alone overshoots by tens of microseconds; the last stretch spins.
void waitUntil(Clock::time_point deadline)
{
    constexpr auto Spin = std::chrono::microseconds(200);
    if (deadline - Clock::now() > Spin)
        std::this_thread::sleep_until(deadline - Spin / 2);
    while (Clock::now() < deadline) {
    }
}

} // namespace

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
        } else if (!options.payloads.empty()) {
            reply.payload = options.payloads[k % options.payloads.size()];
        } else {
            reply.identity = makeIdentity(address, static_cast<unsigned>(k / addresses.size()),
                                          static_cast<unsigned>(k + 1), options.fields);
            reply.payload = composeReply(*reply.identity, options.trailingLineFeed);
        }
        replies.push_back(std::move(reply));
    }
    return replies;
}

SendReport sendAnswer(UdpPort &port, DatagramLog &log, const SimOptions &options,
                      const std::vector<PlannedReply> &replies, const Ipv4Endpoint &to)
{
    const std::size_t total = replies.size() * static_cast<std::size_t>(options.repeat);
    Clock::duration step{};
    if (options.rate > 0)
        step = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options.rate));
    else if (options.spreadMs > 0 && total > 1)
        step = std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(options.spreadMs)) / (total - 1);

    SendReport report;
    const auto start = Clock::now();
    report.firstNs = nanoseconds(start);
    const auto reply = [&](std::size_t n) -> const PlannedReply & { return replies[n / options.repeat]; };
    // Unlogged, every send that is due goes in one system call, so a burst
    // keeps its schedule even where one send takes longer than a step.
    std::vector<std::uint32_t> sources;
    std::vector<std::string_view> payloads;
    for (std::size_t n = 0; n < total && !log.active(); ++n) {
        sources.push_back(reply(n).source);
        payloads.push_back(reply(n).payload);
    }

    // Deadlines from one start time, so pacing does not drift with send cost.
    for (std::size_t n = 0; n < total;) {
        if (step != Clock::duration{})
            waitUntil(start + step * n);
        const auto now = Clock::now();
        report.lastNs = nanoseconds(now);
        if (!log.active()) {
            std::size_t due = total - n;
            if (step != Clock::duration{})
                due = std::min(due, static_cast<std::size_t>((now - start) / step) + 1 - n);
            const int sent = port.sendBatch(&sources[n], &payloads[n], due, to);
            if (sent <= 0) {
                ++report.failures;   // the first of them failed; go on with the next
                ++n;
            } else {
                report.sent += static_cast<std::size_t>(sent);
                n += static_cast<std::size_t>(sent);
            }
            continue;
        }
        const PlannedReply &r = reply(n++);
        const Ipv4Endpoint from{r.source, port.localPort()};
        if (const int error = port.send(r.source, to, r.payload)) {
            log.sendFailed(from, to, error);
            ++report.failures;
        } else {
            ++report.sent;
            log.sent(from, to, r.payload, r.identity ? &*r.identity : nullptr);
        }
    }
    return report;
}
