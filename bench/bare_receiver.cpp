// veltrin-bench-receiver: the yardstick for the finder. A plain blocking
// recv loop that only counts datagrams, on a socket asking for the same
// receive buffer as the finder's endpoint. Prints "ready rcvbuf=B" once
// bound, then "received=N first_ns=.. last_ns=.. cpu_ns=.." when the
// traffic stops.
#include "bench_clock.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr const char *Usage =
    "usage: veltrin-bench-receiver --port P [--rcvbuf BYTES] [--idle-ms T] [--wait-ms W] [--first]\n"
    "  --rcvbuf BYTES  receive buffer to ask for (default 4 MiB, as the finder)\n"
    "  --idle-ms T     stop T ms after the last datagram (default 200)\n"
    "  --wait-ms W     give up W ms after start when nothing comes (default 10000)\n"
    "  --first         stop at the first datagram (its arrival time is first_ns)\n";

struct Options
{
    int port = -1;
    int rcvbuf = 4 << 20;
    int idleMs = 200;
    int waitMs = 10000;
    bool first = false;
};

bool number(std::string_view text, int &out)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

bool parse(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--first") {
            o.first = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        int *target = a == "--port" ? &o.port
            : a == "--rcvbuf"       ? &o.rcvbuf
            : a == "--idle-ms"      ? &o.idleMs
            : a == "--wait-ms"      ? &o.waitMs
                                    : nullptr;
        if (!target || !number(argv[++i], *target))
            return false;
    }
    return o.port > 0 && o.port < 65536;
}

void setTimeout(int fd, int ms)
{
    const timeval t{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!parse(argc, argv, o)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(o.port));
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) < 0) {
        std::fprintf(stderr, "veltrin-bench-receiver: bind port %d: %s\n", o.port, std::strerror(errno));
        return 1;
    }
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &o.rcvbuf, sizeof o.rcvbuf);
    int granted = 0;
    socklen_t length = sizeof granted;
    ::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &length);
    std::printf("ready rcvbuf=%d\n", granted);
    std::fflush(stdout);

    static char buffer[65536];
    long long received = 0;
    std::int64_t firstNs = 0;
    std::int64_t lastNs = 0;
    setTimeout(fd, o.waitMs);
    for (;;) {
        if (::recv(fd, buffer, sizeof buffer, 0) < 0) {
            if (errno == EINTR)
                continue;
            break;   // the timeout: the traffic has stopped
        }
        lastNs = bench_clock::monotonicNs();
        if (received++ == 0) {
            firstNs = lastNs;
            if (o.first)
                break;
            setTimeout(fd, o.idleMs);
        }
    }
    std::printf("received=%lld first_ns=%lld last_ns=%lld cpu_ns=%lld\n", received, static_cast<long long>(firstNs),
                static_cast<long long>(lastNs), static_cast<long long>(bench_clock::processCpuNs()));
    ::close(fd);
    return 0;
}
