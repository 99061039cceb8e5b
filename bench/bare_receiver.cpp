// veltrin-bench-receiver: the yardstick for the finder. A plain blocking
// receive loop that only counts datagrams, on a socket asking for the same
// receive buffer as the finder's endpoint. Prints "ready rcvbuf=B" once
// bound, then "received=N first_ns=T last_ns=T cpu_ns=T" when the traffic
// has stopped (times on CLOCK_MONOTONIC, as the simulator's).
//
//   veltrin-bench-receiver PORT [RCVBUF [IDLE_MS [WAIT_MS [first]]]]
//     RCVBUF   bytes to ask for (default 4 MiB, as the finder)
//     IDLE_MS  stop this long after the last datagram (default 200)
//     WAIT_MS  give up this long after start when nothing comes (default 10000)
//     first    stop at the first datagram
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

long long nanoseconds(clockid_t clock)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

void setTimeout(int fd, int ms)
{
    const timeval t{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
}

} // namespace

int main(int argc, char **argv)
{
    const auto argument = [&](int i, int fallback) { return argc > i ? std::atoi(argv[i]) : fallback; };
    const int port = argument(1, 0);
    int rcvbuf = argument(2, 4 << 20);
    const int idleMs = argument(3, 200);
    const int waitMs = argument(4, 10000);
    const bool first = argc > 5 && std::strcmp(argv[5], "first") == 0;
    if (port <= 0 || port > 65535) {
        std::fputs("usage: veltrin-bench-receiver PORT [RCVBUF [IDLE_MS [WAIT_MS [first]]]]\n", stderr);
        return 2;
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<uint16_t>(port));
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) < 0) {
        std::fprintf(stderr, "veltrin-bench-receiver: bind port %d: %s\n", port, std::strerror(errno));
        return 1;
    }
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    socklen_t length = sizeof rcvbuf;
    ::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, &length);
    std::printf("ready rcvbuf=%d\n", rcvbuf);
    std::fflush(stdout);

    static char buffer[65536];
    long long received = 0;
    long long firstNs = 0;
    long long lastNs = 0;
    setTimeout(fd, waitMs);
    for (;;) {
        if (::recv(fd, buffer, sizeof buffer, 0) < 0) {
            if (errno == EINTR)
                continue;
            break;   // the timeout: the traffic has stopped
        }
        lastNs = nanoseconds(CLOCK_MONOTONIC);
        if (received++ == 0) {
            firstNs = lastNs;
            if (first)
                break;
            setTimeout(fd, idleMs);
        }
    }
    std::printf("received=%lld first_ns=%lld last_ns=%lld cpu_ns=%lld\n", received, firstNs, lastNs,
                nanoseconds(CLOCK_PROCESS_CPUTIME_ID));
    return 0;
}
