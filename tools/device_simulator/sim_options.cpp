#include "tools/device_simulator/sim_options.h"

#include "tools/device_simulator/payload_text.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace {

int parseCount(std::string_view option, std::string_view text, int min, int max = 1 << 30)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min
        || value > max)
        throw std::invalid_argument(std::string(option) + " needs a whole number from "
                                    + std::to_string(min) + " to " + std::to_string(max)
                                    + ", got '" + std::string(text) + "'");
    return value;
}

double parseRate(std::string_view text)
{
    char *end = nullptr;
    const std::string copy(text);
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end != '\0' || !(value > 0))
        throw std::invalid_argument("--rate needs a positive number, got '" + copy + "'");
    return value;
}

} // namespace

const char *simUsage()
{
    return R"(usage: veltrin-device-sim [listen] [OPTIONS]
       veltrin-device-sim send --to ADDRESS:PORT [OPTIONS]

Plays door-phone devices: listens on UDP 8002 and answers each discovery
request ("hip/1.0" LF "request: echo") with one reply per device, from the
device's own address to the request's source address and port. The send
mode sends the same replies to --to without waiting for a request.

Devices
  --address A           a device at local address A (repeatable)
  --addresses A+N       N devices at A, A+1, ... (repeatable)
  --mac TEXT            field values; default derived from the address so
  --serial TEXT         every device differs. {ip} and {n} (device number
  --sw-version TEXT     within the answer) are replaced
  --display TEXT
  --description TEXT
  --description-hex HEX description as raw bytes (e.g. GB18030)
  --trailing-lf         end the description line with a line feed too
  --raw TEXT            reply with exactly this payload (\n \r \t \\ \xHH)
  --raw-hex HEX         reply with exactly these bytes
  --payloads FILE       reply with these payloads in turn, one per line in hex

Pacing
  --repeat N            send each reply N times
  --burst N             N replies per answer, each a distinct device,
                        round-robin over the addresses
  --rate R              at most R replies per second
  --spread-ms T         spread one answer's replies evenly over T ms
                        (neither: as fast as the socket takes them)

Listening
  --port P              listen port (default 8002)
  --answer-any          answer every datagram, not only the request
  --once                exit after the first answer
  --exit-after-ms T     exit after T ms
  --exit-with-parent    exit when the parent process dies
  --ready-file FILE     written once the port is bound

Sending (send mode; ends with "sent=N failed=F first_ns=T last_ns=T",
times of the first and last send on CLOCK_MONOTONIC)
  --to A:P              destination
  --from-port P         source port (default: any)
  --broadcast           allow a broadcast destination

Output
  --log FILE            append one line per datagram received or sent
  --quiet               do not print those lines on stdout
)";
}

SimOptions parseSimOptions(int argc, char **argv)
{
    SimOptions o;
    int i = 1;
    if (i < argc && std::string_view(argv[i]) == "send") {
        o.mode = SimOptions::Mode::Send;
        ++i;
    } else if (i < argc && std::string_view(argv[i]) == "listen") {
        ++i;
    }
    const auto value = [&](std::string_view option) -> std::string_view {
        if (i + 1 >= argc)
            throw std::invalid_argument(std::string(option) + " needs a value");
        return argv[++i];
    };
    bool listenOnly = false;
    for (; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "-h" || a == "--help") {
            o.mode = SimOptions::Mode::Help;
            return o;
        } else if (a == "--address" || a == "--addresses") {
            const auto range = ipv4::parseRange(value(a));
            o.addresses.insert(o.addresses.end(), range.begin(), range.end());
        } else if (a == "--mac") {
            o.fields.mac = std::string(value(a));
        } else if (a == "--serial") {
            o.fields.serial = std::string(value(a));
        } else if (a == "--sw-version") {
            o.fields.swVersion = std::string(value(a));
        } else if (a == "--display") {
            o.fields.display = std::string(value(a));
        } else if (a == "--description") {
            o.fields.description = std::string(value(a));
            o.fields.descriptionIsTemplate = true;
        } else if (a == "--description-hex") {
            o.fields.description = payload_text::fromHex(value(a));
            o.fields.descriptionIsTemplate = false;
        } else if (a == "--trailing-lf") {
            o.trailingLineFeed = true;
        } else if (a == "--raw") {
            o.raw = payload_text::unescape(value(a));
        } else if (a == "--raw-hex") {
            o.raw = payload_text::fromHex(value(a));
        } else if (a == "--payloads") {
            std::ifstream file{std::string(value(a))};
            for (std::string line; std::getline(file, line);)
                o.payloads.push_back(payload_text::fromHex(line));
            if (!file.eof() || o.payloads.empty())
                throw std::invalid_argument("--payloads: no payloads read from " + std::string(argv[i]));
        } else if (a == "--repeat") {
            o.repeat = parseCount(a, value(a), 1);
        } else if (a == "--burst") {
            o.burst = parseCount(a, value(a), 1);
        } else if (a == "--rate") {
            o.rate = parseRate(value(a));
        } else if (a == "--spread-ms") {
            o.spreadMs = parseCount(a, value(a), 0);
        } else if (a == "--port") {
            o.port = static_cast<std::uint16_t>(parseCount(a, value(a), 1, 65535));
            listenOnly = true;
        } else if (a == "--answer-any") {
            o.answerAny = listenOnly = true;
        } else if (a == "--once") {
            o.once = listenOnly = true;
        } else if (a == "--exit-after-ms") {
            o.exitAfterMs = parseCount(a, value(a), 1);
            listenOnly = true;
        } else if (a == "--exit-with-parent") {
            o.exitWithParent = true;
        } else if (a == "--ready-file") {
            o.readyFile = std::string(value(a));
            listenOnly = true;
        } else if (a == "--to") {
            o.to = ipv4::parseEndpoint(value(a));
        } else if (a == "--from-port") {
            o.fromPort = static_cast<std::uint16_t>(parseCount(a, value(a), 1, 65535));
        } else if (a == "--broadcast") {
            o.broadcast = true;
        } else if (a == "--log") {
            o.logFile = std::string(value(a));
        } else if (a == "--quiet") {
            o.quiet = true;
        } else {
            throw std::invalid_argument("unknown option '" + std::string(a) + "'");
        }
    }
    if (o.rate > 0 && o.spreadMs > 0)
        throw std::invalid_argument("--rate and --spread-ms exclude each other");
    if (o.mode == SimOptions::Mode::Send) {
        if (!o.to)
            throw std::invalid_argument("send needs --to ADDRESS:PORT");
        if (listenOnly)
            throw std::invalid_argument("--port, --answer-any, --once, --exit-after-ms and --ready-file are for listening");
    } else if (o.to || o.fromPort || o.broadcast) {
        throw std::invalid_argument("--to, --from-port and --broadcast are for the send mode");
    }
    return o;
}
