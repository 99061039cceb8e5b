// veltrin-bench-sender: sends COUNT device replies (or a flood of mixed
// datagrams) to one address, from many device addresses, evenly spaced or as
// fast as the socket takes them. Prints one line of key=value results.
#include "bench_replies.h"
#include "paced_sender.h"

#include <arpa/inet.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr const char *Usage =
    "usage: veltrin-bench-sender --to A:P [--from A+K] [--count N] [--first-index I]\n"
    "                            [--spread-ms T | --rate R] [--flood]\n"
    "  --from A+K     send from the K addresses A, A+1, ... in turn (default: any)\n"
    "  --spread-ms T  spread the datagrams evenly over T ms\n"
    "  --rate R       send R datagrams per second\n"
    "                 (neither: as fast as the socket takes them)\n"
    "  --flood        mixed traffic instead of device replies only\n";

struct Options
{
    sockaddr_in to{};
    in_addr firstSource{};
    std::uint32_t sources = 0;
    std::uint32_t count = 1000;
    std::uint32_t firstIndex = 0;
    double spreadMs = 0;
    double rate = 0;
    bool flood = false;
};

template<typename T>
T number(std::string_view text, std::string_view option)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument(std::string(option) + ": not a number: " + std::string(text));
    return value;
}

in_addr address(const std::string &text)
{
    in_addr a{};
    if (::inet_pton(AF_INET, text.c_str(), &a) != 1)
        throw std::invalid_argument("not an IPv4 address: " + text);
    return a;
}

Options parse(int argc, char **argv)
{
    Options o;
    bool haveTo = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (i + 1 >= argc && a != "--flood")
            throw std::invalid_argument(std::string(a) + " needs a value");
        if (a == "--to") {
            const std::string v = argv[++i];
            const auto colon = v.rfind(':');
            if (colon == std::string::npos)
                throw std::invalid_argument("--to needs A:P");
            o.to.sin_family = AF_INET;
            o.to.sin_addr = address(v.substr(0, colon));
            o.to.sin_port = htons(number<std::uint16_t>(std::string_view(v).substr(colon + 1), a));
            haveTo = true;
        } else if (a == "--from") {
            const std::string v = argv[++i];
            const auto plus = v.find('+');
            o.firstSource = address(v.substr(0, plus));
            o.sources = plus == std::string::npos ? 1 : number<std::uint32_t>(std::string_view(v).substr(plus + 1), a);
        } else if (a == "--count") {
            o.count = number<std::uint32_t>(argv[++i], a);
        } else if (a == "--first-index") {
            o.firstIndex = number<std::uint32_t>(argv[++i], a);
        } else if (a == "--spread-ms") {
            o.spreadMs = number<double>(argv[++i], a);
        } else if (a == "--rate") {
            o.rate = number<double>(argv[++i], a);
        } else if (a == "--flood") {
            o.flood = true;
        } else {
            throw std::invalid_argument("unknown option " + std::string(a));
        }
    }
    if (!haveTo)
        throw std::invalid_argument("--to is required");
    if (o.spreadMs > 0 && o.rate > 0)
        throw std::invalid_argument("--spread-ms and --rate exclude each other");
    return o;
}

std::vector<PacedSender::Datagram> prepare(const Options &o)
{
    std::vector<PacedSender::Datagram> datagrams(o.count);
    const std::uint32_t first = ntohl(o.firstSource.s_addr);
    for (std::uint32_t k = 0; k < o.count; ++k) {
        const std::uint32_t index = o.firstIndex + k;
        datagrams[k].payload = o.flood ? bench_replies::floodDatagram(index) : bench_replies::deviceReply(index);
        if (o.sources > 0)
            datagrams[k].source.s_addr = htonl(first + k % o.sources);
    }
    return datagrams;
}

std::int64_t stepNs(const Options &o)
{
    if (o.rate > 0)
        return static_cast<std::int64_t>(1e9 / o.rate);
    if (o.spreadMs > 0 && o.count > 1)
        return static_cast<std::int64_t>(o.spreadMs * 1e6 / (o.count - 1));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        const Options options = parse(argc, argv);
        const auto datagrams = prepare(options);
        PacedSender sender(options.to);
        const PacedSender::Result r = sender.send(datagrams, stepNs(options));
        std::printf("sent=%lld failed=%lld first_ns=%lld last_ns=%lld errno=%d\n",
                    static_cast<long long>(r.sent), static_cast<long long>(r.failed),
                    static_cast<long long>(r.firstNs), static_cast<long long>(r.lastNs), r.firstError);
        if (r.firstError)
            std::fprintf(stderr, "veltrin-bench-sender: %s\n", std::strerror(r.firstError));
        return r.failed == 0 ? 0 : 1;
    } catch (const std::invalid_argument &e) {
        std::fprintf(stderr, "veltrin-bench-sender: %s\n%s", e.what(), Usage);
        return 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "veltrin-bench-sender: %s\n", e.what());
        return 1;
    }
}
