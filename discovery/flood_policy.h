#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// How the finder keeps up with a flood of replies: 32,767 devices answering
// within a fraction of a second, into a receive buffer that the stock
// net.core.rmem_max keeps at 416 KiB, which lasts about 2 ms at 200,000+
// replies a second. The reader thread (DatagramReader) must read all the
// while; the window's thread (DiscoveryEndpoint's hand-over, the controller,
// the repaint after each round) must not take the CPU time it needs.
//
// The figures were chosen by measurement, in `make bench` and with
// temporary instrumentation of the reader (gaps between reads, the
// socket's drop counter, each hand-over round's start and length), on a
// 2-vCPU virtual machine with the sender on the other vCPU and idle cores
// halting: each candidate ran 8 trials of the "32,767 at top speed",
// "32,767 over 100 ms" and "2,000 over 10 ms" bursts beside the bare
// receiver. Losses came with reader stalls of 2 to 10 ms right after it slept
// or blocked, often together with a hand-over round and its repaint.
// Dropping the gather pause, spinning instead of sleeping, and handing over
// 1 ms of replies every 10 ms during a flood each measured worse.
struct FloodPolicy
{
    using Milliseconds = std::chrono::milliseconds;
    using Microseconds = std::chrono::microseconds;

    // --- The reader thread ---

    // Larger than any UDP payload, so a datagram is always read whole.
    static constexpr std::size_t SlotBytes = 65536;
    // Datagrams per recvmmsg() when the kernel holds many.
    static constexpr unsigned Batch = 32;

    // What the reader's queue may hold before further datagrams are left to
    // the kernel: a full table's worth of ordinary replies twice over, so
    // one host cannot grow the finder's memory without bound.
    static constexpr std::int64_t QueueLimitBytes = 16 * 1024 * 1024;
    static constexpr std::int64_t QueuedDatagramOverhead = 64;

    // After a short read the next waits this long: in a flood, datagrams
    // then come dozens per system call instead of one per wake-up, which
    // leaves the CPU to the reading. Without it the reader ran out of CPU at
    // the sender's top speed (3,000+ lost per burst). A 416 KiB buffer holds
    // hundreds of replies, far more than arrive meanwhile.
    static constexpr Microseconds Gather{250};

    // This many datagrams within a millisecond make a flood; it counts as
    // over once FloodQuietFor passes without such a millisecond.
    static constexpr int FloodPerMs = 48;
    static constexpr Milliseconds FloodQuietFor{2};

    // The window's thread is woken FirstWakeAfter the first datagrams, by
    // when a flood has shown itself, so no round and repaint start in its
    // first milliseconds; while datagrams keep coming, at most every
    // WakeEvery (about once a frame), because each wake-up ends in a repaint
    // that costs as much as hundreds of replies. FirstFewUpTo datagrams since
    // the last wake-up count as the first few.
    static constexpr Milliseconds FirstWakeAfter{1};
    static constexpr Milliseconds WakeEvery{10};
    static constexpr int FirstFewUpTo = 4;

    // The scheduler slice the reader asks for (Linux 6.12 and later; earlier
    // kernels ignore it): a reader that wakes while another task runs gets
    // its core at once rather than after a slice of several milliseconds.
    // Measured: the first read came up to 5.7 ms after the first send
    // without it, up to 4.1 ms and mostly under 2 ms with it.
    static constexpr std::uint64_t ReaderSliceNs = 100'000;

    // --- The hand-over on the window's thread ---

    // How long one round may go on handing over datagrams: long, because
    // every round ends in a repaint, yet short enough that input and paint
    // events wait no longer than about a frame.
    static constexpr int NotifyBudgetMs = 12;
    // While a flood comes in, hand-over waits and looks again every
    // ReaderCatchUpMs (a precise timer): any time the window's thread takes
    // then may be time the reader misses. Input is still handled meanwhile.
    static constexpr int ReaderCatchUpMs = 1;
    // In a flood that does not end, a FloodRoundMs round every YieldAtMostMs,
    // so the table still fills.
    static constexpr int YieldAtMostMs = 250;
    static constexpr int FloodRoundMs = 2;
    // Datagrams handed over in one batch, between two looks at the reader,
    // so a round already running stops soon after a flood starts.
    static constexpr int LookEvery = 16;

    // --- The socket ---

    // Asked for the receive buffer: a burst then waits in the kernel rather
    // than being dropped while the reader is not scheduled. Without
    // privileges net.core.rmem_max caps it.
    static constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
};
