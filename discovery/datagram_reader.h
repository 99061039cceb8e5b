#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

// One received datagram. An IPv4 sender (IPv4-mapped ones included) is kept
// as a number and only turned into text when asked for; so is the interface
// it came in on.
struct ReceivedDatagram
{
    QByteArray payload;
    quint32 senderIPv4 = 0;
    QString otherSender;   // set only for a sender that is not IPv4
    int interfaceIndex = 0;   // 0 when the system did not say
    qint64 receivedAtMs = 0;   // wall clock, milliseconds since the epoch
};

// Drains a bound UDP socket on a thread of its own, so the kernel's buffer
// empties as fast as a plain receive loop empties it, whatever the owner's
// thread is busy with. Datagrams wait in a bounded queue, in arrival order;
// when it is full, further ones stay with the kernel. The owner's thread
// learns of them through wakeDescriptor(), which turns readable soon after
// the queue stops being empty, and takes them with takeAll(). Its sizes and
// timings are FloodPolicy's.
class DatagramReader
{
public:
    DatagramReader();
    ~DatagramReader();
    DatagramReader(const DatagramReader &) = delete;
    DatagramReader &operator=(const DatagramReader &) = delete;

    // Asks the system to tell, with each datagram read from descriptor, the
    // interface it came in on. Returns 0 or an errno.
    static int enableArrivalInterface(int descriptor);

    // Reads descriptor (not owned) until stop(). Returns 0 or an errno.
    int start(int descriptor);
    // Returns once the thread no longer touches the descriptor, with what
    // it had queued dropped.
    void stop();

    int wakeDescriptor() const { return m_wakeDescriptor; }
    // Makes the wake descriptor unreadable again; call before takeAll().
    void clearWake();
    // Appends everything queued to out, in arrival order.
    void takeAll(std::deque<ReceivedDatagram> &out);
    bool hasQueued() const;
    // True while a flood is coming in: CPU time the owner's thread takes now
    // may be time the reading misses.
    bool isFlooded() const;

private:
    void run(int descriptor);

    int m_wakeDescriptor = -1;
    int m_stopDescriptor = -1;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::condition_variable m_space;
    std::deque<ReceivedDatagram> m_queue;
    std::int64_t m_queuedBytes = 0;
    bool m_stopping = false;
    // steady_clock nanoseconds when a flood was last seen; 0 for never.
    std::atomic<std::int64_t> m_lastFlood{0};
};
