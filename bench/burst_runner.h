#pragma once

#include "bench_lab.h"

#include <QtGlobal>

#include <cstdint>
#include <vector>

class QAbstractButton;
class QAbstractItemModel;
class QWidget;
class ReplyProbe;

struct SenderTimes
{
    qint64 sent = 0;
    std::int64_t firstNs = 0;
    std::int64_t lastNs = 0;

    double rate() const;   // datagrams per second over the send
};

struct FinderBurst
{
    SenderTimes sender;
    qint64 shown = 0;          // rows in use afterwards
    std::int64_t toLastRowNs = 0;
    std::int64_t processCpuNs = 0;
    std::vector<std::int64_t> handlingNs;
    int tablePaints = 0;
    std::int64_t tablePaintCpuNs = 0;
};

struct BareBurst
{
    SenderTimes sender;
    qint64 received = 0;
    std::int64_t toLastNs = 0;
    std::int64_t cpuNs = 0;   // the receiver's own, start-up included
};

struct RefreshSample
{
    int rowsInUseBefore = 0;
    std::int64_t wallNs = 0;   // the whole click, pauses included
    std::int64_t cpuNs = 0;
};

// Runs bursts against the finder's window (replies to port 1010) and against
// the bare receiver (port 1011), with the same sender and plan.
class BurstRunner
{
public:
    static constexpr quint16 FinderPort = 1010;
    static constexpr quint16 BarePort = 1011;

    // Throws std::runtime_error when the window lacks a control it needs.
    BurstRunner(const BenchLab &lab, QWidget &window, ReplyProbe &probe);

    RefreshSample refresh();
    FinderBurst runFinder(const SendPlan &plan);
    BareBurst runBare(const SendPlan &plan);
    int rowsInUse() const;

private:
    SenderTimes runSender(const SendPlan &plan, quint16 port, std::int64_t *cpuAfterStart);

    const BenchLab &m_lab;
    ReplyProbe &m_probe;
    QAbstractButton *m_refresh = nullptr;
    const QAbstractItemModel *m_model = nullptr;
    int m_nextIndex = 0;
};
