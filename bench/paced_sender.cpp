#include "paced_sender.h"

#include "bench_clock.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

constexpr std::size_t Batch = 64;
// Closer than this to a deadline a sleep would overshoot it; spin instead.
constexpr std::int64_t SpinNs = 200'000;

struct Control
{
    alignas(cmsghdr) char bytes[CMSG_SPACE(sizeof(in_pktinfo))];
};

// Fills msg for one datagram; the buffers must outlive the send.
void prepare(msghdr &msg, iovec &iov, Control &control, sockaddr_in &to, const PacedSender::Datagram &d)
{
    iov = {const_cast<char *>(d.payload.data()), d.payload.size()};
    msg = {};
    msg.msg_name = &to;
    msg.msg_namelen = sizeof to;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    if (d.source.s_addr == htonl(INADDR_ANY))
        return;
    std::memset(control.bytes, 0, sizeof control.bytes);
    msg.msg_control = control.bytes;
    msg.msg_controllen = sizeof control.bytes;
    cmsghdr *c = CMSG_FIRSTHDR(&msg);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst = d.source;
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
}

void waitUntil(std::int64_t deadlineNs)
{
    std::int64_t now = bench_clock::monotonicNs();
    if (deadlineNs - now > SpinNs) {
        const std::int64_t wake = deadlineNs - SpinNs / 2;
        const timespec t{static_cast<time_t>(wake / 1'000'000'000), static_cast<long>(wake % 1'000'000'000)};
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
        }
    }
    while (bench_clock::monotonicNs() < deadlineNs) {
    }
}

} // namespace

PacedSender::PacedSender(const sockaddr_in &destination)
    : m_destination(destination)
{
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        throw std::system_error(errno, std::generic_category(), "socket");
    // A full send buffer blocks the sender; it should not shape the burst.
    const int buffer = 4 << 20;
    ::setsockopt(m_fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
}

PacedSender::~PacedSender()
{
    ::close(m_fd);
}

PacedSender::Result PacedSender::send(const std::vector<Datagram> &datagrams, std::int64_t stepNs)
{
    return stepNs > 0 ? sendPaced(datagrams, stepNs) : sendBatched(datagrams);
}

int PacedSender::sendOne(const Datagram &datagram)
{
    msghdr msg;
    iovec iov;
    Control control;
    prepare(msg, iov, control, m_destination, datagram);
    return ::sendmsg(m_fd, &msg, 0) < 0 ? errno : 0;
}

PacedSender::Result PacedSender::sendPaced(const std::vector<Datagram> &datagrams, std::int64_t stepNs)
{
    Result result;
    const std::int64_t start = bench_clock::monotonicNs();
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
        waitUntil(start + static_cast<std::int64_t>(i) * stepNs);
        const std::int64_t now = bench_clock::monotonicNs();
        if (i == 0)
            result.firstNs = now;
        result.lastNs = now;
        if (const int error = sendOne(datagrams[i])) {
            ++result.failed;
            result.firstError = result.firstError ? result.firstError : error;
        } else {
            ++result.sent;
        }
    }
    return result;
}

PacedSender::Result PacedSender::sendBatched(const std::vector<Datagram> &datagrams)
{
    Result result;
    std::vector<mmsghdr> messages(Batch);
    std::vector<iovec> iovs(Batch);
    std::vector<Control> controls(Batch);
    std::vector<sockaddr_in> targets(Batch, m_destination);

    result.firstNs = bench_clock::monotonicNs();
    for (std::size_t at = 0; at < datagrams.size();) {
        const std::size_t count = std::min(Batch, datagrams.size() - at);
        for (std::size_t j = 0; j < count; ++j) {
            messages[j].msg_len = 0;
            prepare(messages[j].msg_hdr, iovs[j], controls[j], targets[j], datagrams[at + j]);
        }
        const int done = ::sendmmsg(m_fd, messages.data(), static_cast<unsigned>(count), 0);
        if (done <= 0) {
            // The first message of the batch failed: count it and go on.
            ++result.failed;
            result.firstError = result.firstError ? result.firstError : errno;
            ++at;
            continue;
        }
        result.sent += done;
        at += static_cast<std::size_t>(done);
    }
    result.lastNs = bench_clock::monotonicNs();
    return result;
}
