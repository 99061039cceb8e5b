#include "discovery/datagram_reader.h"

#include "discovery/flood_policy.h"

#include <QHostAddress>

#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <thread>
#include <vector>

namespace {

void signal(int eventDescriptor)
{
    const std::uint64_t one = 1;
    while (::write(eventDescriptor, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

std::int64_t nanoseconds(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// Fields as in the kernel's struct sched_attr; glibc before 2.41 has none.
struct SchedulingAttributes
{
    std::uint32_t size = sizeof(SchedulingAttributes);
    std::uint32_t policy = 0;   // SCHED_OTHER
    std::uint64_t flags = 0;
    std::int32_t nice = 0;
    std::uint32_t priority = 0;
    std::uint64_t runtime = 0;   // the slice, for SCHED_OTHER
    std::uint64_t deadline = 0;
    std::uint64_t period = 0;
};

void askForShortSlices()
{
    SchedulingAttributes attributes;
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, 0);   // this thread's; kept, not raised
    if (errno != 0)
        return;
    attributes.nice = nice;
    attributes.runtime = FloodPolicy::ReaderSliceNs;
    ::syscall(SYS_sched_setattr, 0, &attributes, 0);
}

void drain(int eventDescriptor)
{
    std::uint64_t count = 0;
    while (::read(eventDescriptor, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

// Room for one packet-info message of either family.
constexpr std::size_t ControlBytes = std::max(CMSG_SPACE(sizeof(in_pktinfo)), CMSG_SPACE(sizeof(in6_pktinfo)));

int arrivalInterface(const msghdr &header)
{
    for (const cmsghdr *c = CMSG_FIRSTHDR(&header); c != nullptr;
         c = CMSG_NXTHDR(const_cast<msghdr *>(&header), const_cast<cmsghdr *>(c))) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            return info.ipi_ifindex;
        }
        if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO) {
            in6_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            return int(info.ipi6_ifindex);
        }
    }
    return 0;
}

ReceivedDatagram datagramFrom(const char *bytes, unsigned length, const sockaddr_storage &from)
{
    ReceivedDatagram datagram{QByteArray(bytes, length), 0, QString()};
    if (from.ss_family == AF_INET) {
        datagram.senderIPv4 = ntohl(reinterpret_cast<const sockaddr_in &>(from).sin_addr.s_addr);
        return datagram;
    }
    const QHostAddress sender(reinterpret_cast<const sockaddr *>(&from));
    bool isIPv4 = false;
    datagram.senderIPv4 = sender.toIPv4Address(&isIPv4);   // also unwraps ::ffff:a.b.c.d
    if (!isIPv4)
        datagram.otherSender = sender.toString();
    return datagram;
}

using Clock = std::chrono::steady_clock;

// One recvmmsg() call's messages over a buffer of FloodPolicy::Batch slots.
// Stays where it was made: the message headers point into it.
class ReceiveBatch
{
public:
    ReceiveBatch()
    {
        for (unsigned i = 0; i < FloodPolicy::Batch; ++i) {
            m_pieces[i] = {m_buffer.data() + i * FloodPolicy::SlotBytes, FloodPolicy::SlotBytes};
            m_messages[i].msg_hdr.msg_iov = &m_pieces[i];
            m_messages[i].msg_hdr.msg_iovlen = 1;
            m_messages[i].msg_hdr.msg_name = &m_senders[i];
            m_messages[i].msg_hdr.msg_control = m_controls[i].bytes;
        }
    }
    ReceiveBatch(const ReceiveBatch &) = delete;
    ReceiveBatch &operator=(const ReceiveBatch &) = delete;

    // Reads up to a batch without waiting; how many, or 0 or less for none.
    int receive(int descriptor)
    {
        for (mmsghdr &message : m_messages) {
            message.msg_hdr.msg_namelen = sizeof(sockaddr_storage);
            message.msg_hdr.msg_controllen = ControlBytes;
        }
        return ::recvmmsg(descriptor, m_messages.data(), FloodPolicy::Batch, MSG_DONTWAIT, nullptr);
    }

    // Appends the first count datagrams read; returns what they weigh in
    // the queue.
    std::int64_t appendTo(std::vector<ReceivedDatagram> &out, int count) const
    {
        // One clock read per batch: its datagrams came within a gather pause.
        const qint64 receivedAtMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::system_clock::now().time_since_epoch())
                                            .count();
        std::int64_t bytes = 0;
        for (int i = 0; i < count; ++i) {
            out.push_back(datagramFrom(static_cast<const char *>(m_pieces[i].iov_base), m_messages[i].msg_len,
                                       m_senders[i]));
            out.back().interfaceIndex = arrivalInterface(m_messages[i].msg_hdr);
            out.back().receivedAtMs = receivedAtMs;
            bytes += m_messages[i].msg_len + FloodPolicy::QueuedDatagramOverhead;
        }
        return bytes;
    }

private:
    struct alignas(cmsghdr) Control
    {
        unsigned char bytes[ControlBytes];
    };
    // Untouched pages of the buffer cost no memory.
    QByteArray m_buffer{qsizetype(FloodPolicy::Batch * FloodPolicy::SlotBytes), Qt::Uninitialized};
    std::array<mmsghdr, FloodPolicy::Batch> m_messages{};
    std::array<iovec, FloodPolicy::Batch> m_pieces{};
    std::array<sockaddr_storage, FloodPolicy::Batch> m_senders{};
    std::array<Control, FloodPolicy::Batch> m_controls{};
};

// When the owner's thread hears of the queue: FirstWakeAfter the first few
// datagrams since it last did, else WakeEvery after that (FloodPolicy).
class WakePacing
{
public:
    bool isPending() const { return m_wakeAt != NoWake; }
    bool isDue(Clock::time_point now) const { return isPending() && now >= m_wakeAt; }
    // poll()'s timeout: until the pending wake-up, or none.
    int timeoutMs() const
    {
        if (!isPending())
            return -1;
        const auto left = std::max(m_wakeAt - Clock::now(), Clock::duration{});
        return int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }
    // count datagrams were queued at readAt; wasEmpty: the queue had none
    // before. True when the owner is to be woken at once.
    bool queued(int count, bool wasEmpty, Clock::time_point readAt)
    {
        m_sinceWake += count;
        if (!wasEmpty || isPending())
            return false;
        m_wakeAt = m_sinceWake <= FloodPolicy::FirstFewUpTo ? readAt + FloodPolicy::FirstWakeAfter
                                                            : m_lastWake + FloodPolicy::WakeEvery;
        return readAt >= m_wakeAt;
    }
    void woken(Clock::time_point now)
    {
        m_lastWake = now;
        m_wakeAt = NoWake;
        m_sinceWake = 0;
    }

private:
    static constexpr Clock::time_point NoWake = Clock::time_point::max();
    Clock::time_point m_lastWake;
    Clock::time_point m_wakeAt = NoWake;
    int m_sinceWake = 0;
};

// FloodPolicy::FloodPerMs datagrams read within a millisecond.
class FloodMeter
{
public:
    bool isFlood(int count, Clock::time_point readAt)
    {
        if (readAt - m_from > std::chrono::milliseconds(1)) {
            m_from = readAt;
            m_count = 0;
        }
        m_count += count;
        return m_count >= FloodPolicy::FloodPerMs;
    }

private:
    Clock::time_point m_from;
    int m_count = 0;
};

} // namespace

int DatagramReader::enableArrivalInterface(int descriptor)
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr *>(&local), &length) != 0)
        return errno;
    const int on = 1;
    // IPv4 senders on a dual-stack socket report through IP_PKTINFO too.
    if (::setsockopt(descriptor, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0)
        return errno;
    if (local.ss_family == AF_INET6
        && ::setsockopt(descriptor, IPPROTO_IPV6, IPV6_RECVPKTINFO, &on, sizeof on) != 0)
        return errno;
    return 0;
}

DatagramReader::DatagramReader()
    : m_wakeDescriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    , m_stopDescriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

DatagramReader::~DatagramReader()
{
    stop();
    for (const int descriptor : {m_wakeDescriptor, m_stopDescriptor}) {
        if (descriptor >= 0)
            ::close(descriptor);
    }
}

int DatagramReader::start(int descriptor)
{
    stop();
    if (m_wakeDescriptor < 0 || m_stopDescriptor < 0)
        return EMFILE;
    m_stopping = false;
    m_lastFlood.store(0, std::memory_order_relaxed);
    m_thread = std::thread(&DatagramReader::run, this, descriptor);
    return 0;
}

void DatagramReader::stop()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_space.notify_all();
    signal(m_stopDescriptor);
    m_thread.join();
    drain(m_stopDescriptor);
    clearWake();
    const std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_queuedBytes = 0;
}

void DatagramReader::clearWake()
{
    drain(m_wakeDescriptor);
}

void DatagramReader::takeAll(std::deque<ReceivedDatagram> &out)
{
    {
        const std::lock_guard lock(m_mutex);
        if (out.empty())
            out.swap(m_queue);
        else
            std::move(m_queue.begin(), m_queue.end(), std::back_inserter(out));
        m_queue.clear();
        m_queuedBytes = 0;
    }
    m_space.notify_one();
}

bool DatagramReader::hasQueued() const
{
    const std::lock_guard lock(m_mutex);
    return !m_queue.empty();
}

bool DatagramReader::isFlooded() const
{
    const std::int64_t last = m_lastFlood.load(std::memory_order_relaxed);
    return last != 0
        && nanoseconds(std::chrono::steady_clock::now()) - last
                < std::chrono::nanoseconds(FloodPolicy::FloodQuietFor).count();
}

void DatagramReader::run(int descriptor)
{
    askForShortSlices();
    ReceiveBatch batch;
    WakePacing pacing;
    FloodMeter flood;
    std::array<pollfd, 2> waitFor{{{descriptor, POLLIN, 0}, {m_stopDescriptor, POLLIN, 0}}};
    std::vector<ReceivedDatagram> received;
    received.reserve(FloodPolicy::Batch);
    const auto wake = [this, &pacing] {
        signal(m_wakeDescriptor);
        pacing.woken(Clock::now());
    };

    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (pacing.isPending() && m_queuedBytes >= FloodPolicy::QueueLimitBytes)
                wake();   // the owner makes the room
            m_space.wait(lock, [this] { return m_stopping || m_queuedBytes < FloodPolicy::QueueLimitBytes; });
            if (m_stopping)
                return;
        }
        const int ready = ::poll(waitFor.data(), waitFor.size(), pacing.timeoutMs());
        if (pacing.isDue(Clock::now()))
            wake();
        if (ready <= 0)
            continue;   // the timeout, or EINTR
        if (waitFor[1].revents != 0 || (waitFor[0].revents & POLLNVAL) != 0)
            return;
        const int count = batch.receive(descriptor);
        // Nothing after all, or an error the socket reported once (an ICMP
        // notice, say); the next datagram reads as before.
        if (count <= 0)
            continue;
        const Clock::time_point readAt = Clock::now();
        if (flood.isFlood(count, readAt))
            m_lastFlood.store(nanoseconds(readAt), std::memory_order_relaxed);

        const std::int64_t bytes = batch.appendTo(received, count);
        bool wasEmpty = false;
        {
            const std::lock_guard lock(m_mutex);
            wasEmpty = m_queue.empty();
            std::move(received.begin(), received.end(), std::back_inserter(m_queue));
            m_queuedBytes += bytes;
        }
        received.clear();
        if (pacing.queued(count, wasEmpty, readAt))
            wake();
        if (count < int(FloodPolicy::Batch))
            std::this_thread::sleep_for(FloodPolicy::Gather);
    }
}
