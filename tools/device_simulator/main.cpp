// veltrin-device-sim: plays one or many door-phone devices for tests, the
// network lab and demos. See simUsage() for the options.
#include "tools/device_simulator/answer.h"
#include "tools/device_simulator/datagram_log.h"
#include "tools/device_simulator/sim_options.h"
#include "tools/device_simulator/udp_port.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace {

constexpr std::string_view kRequest = "hip/1.0\nrequest: echo";

void writeReadyFile(const std::string &path, std::uint16_t port)
{
    // Written whole under a temporary name, so a poller never reads half of it.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary);
        out << "pid=" << ::getpid() << "\nport=" << port << '\n';
        if (!out)
            throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        throw std::system_error(errno, std::generic_category(), "rename to " + path);
}

int listen(const SimOptions &options)
{
    UdpPort port({0, options.port}, false);
    DatagramLog log(options.logFile, !options.quiet);
    if (!options.readyFile.empty())
        writeReadyFile(options.readyFile, port.localPort());

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.exitAfterMs);
    UdpPort::Datagram datagram;
    for (;;) {
        int timeoutMs = -1;
        if (options.exitAfterMs > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return 0;
            timeoutMs = static_cast<int>(left.count());
        }
        if (!port.receive(datagram, timeoutMs))
            continue;
        log.received(datagram, port.localPort());
        if (!options.answerAny && datagram.payload != kRequest)
            continue;
        sendAnswer(port, log, options, planAnswer(options, datagram.localAddress), datagram.source);
        if (options.once)
            return 0;
    }
}

int sendOnce(const SimOptions &options)
{
    UdpPort port({0, options.fromPort}, options.broadcast);
    DatagramLog log(options.logFile, !options.quiet);
    const std::vector<PlannedReply> replies = planAnswer(options, 0);
    const SendReport report = sendAnswer(port, log, options, replies, *options.to);
    std::printf("sent=%zu failed=%d first_ns=%lld last_ns=%lld\n", report.sent, report.failures,
                static_cast<long long>(report.firstNs), static_cast<long long>(report.lastNs));
    return report.failures == 0 ? 0 : 1;
}

void followParent()
{
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        std::exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    SimOptions options;
    try {
        options = parseSimOptions(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "veltrin-device-sim: %s\n\n%s", e.what(), simUsage());
        return 2;
    }
    if (options.mode == SimOptions::Mode::Help) {
        std::fputs(simUsage(), stdout);
        return 0;
    }
    if (options.exitWithParent)
        followParent();
    try {
        return options.mode == SimOptions::Mode::Send ? sendOnce(options) : listen(options);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "veltrin-device-sim: %s\n", e.what());
        return 1;
    }
}
