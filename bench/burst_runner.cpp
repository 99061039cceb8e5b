#include "burst_runner.h"

#include "bench_clock.h"
#include "device_table.h"
#include "event_pump.h"
#include "lab_process.h"
#include "reply_probe.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QTableView>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// The finder is done with a burst when nothing has been handled for this long.
constexpr std::int64_t QuietNs = 150'000'000;
constexpr int SendTimeoutMs = 60'000;

} // namespace

double SenderTimes::rate() const
{
    return sent > 1 && lastNs > firstNs ? (sent - 1) * 1e9 / double(lastNs - firstNs) : 0;
}

BurstRunner::BurstRunner(const BenchLab &lab, QWidget &window, ReplyProbe &probe)
    : m_lab(lab)
    , m_probe(probe)
    , m_refresh(window.findChild<QAbstractButton *>(u"cmdRefresh"_s))
{
    const auto *const grid = window.findChild<QTableView *>(u"MSFlexGrid1"_s);
    m_model = grid ? grid->model() : nullptr;
    if (!m_refresh || !m_model)
        throw std::runtime_error("the window has no Refresh button cmdRefresh or grid MSFlexGrid1");
}

int BurstRunner::rowsInUse() const
{
    // Rows in use are one block from the top, so count until the first free one.
    int rows = 0;
    while (rows < m_model->rowCount() && !m_model->index(rows, DeviceTable::MacColumn).data().toString().isEmpty())
        ++rows;
    return rows;
}

RefreshSample BurstRunner::refresh()
{
    RefreshSample sample;
    sample.rowsInUseBefore = rowsInUse();
    const std::int64_t wall = bench_clock::monotonicNs();
    const std::int64_t cpu = bench_clock::threadCpuNs();
    m_refresh->click();
    sample.cpuNs = bench_clock::threadCpuNs() - cpu;
    sample.wallNs = bench_clock::monotonicNs() - wall;
    // The repaint of the emptied table belongs to the refresh, not the next burst.
    pumpFor(20);
    return sample;
}

SenderTimes BurstRunner::runSender(const SendPlan &plan, quint16 port, std::int64_t *cpuAfterStart)
{
    LabProcess sender(m_lab.deviceNamespace, m_lab.senderProgram, plan.senderArguments(m_lab, port, m_nextIndex));
    m_nextIndex += plan.count;
    sender.start();
    // Forking this process is not the finder's work.
    if (cpuAfterStart)
        *cpuAfterStart = bench_clock::processCpuNs();
    if (!sender.waitForFinished(SendTimeoutMs) || sender.exitCode() != 0)
        throw std::runtime_error("the sender failed: " + sender.errorOutput().toStdString());
    return SenderTimes{sender.number(u"sent"_s), sender.number(u"first_ns"_s), sender.number(u"last_ns"_s)};
}

FinderBurst BurstRunner::runFinder(const SendPlan &plan)
{
    m_probe.reset();
    FinderBurst burst;
    std::int64_t cpu = 0;
    burst.sender = runSender(plan, FinderPort, &cpu);
    pumpUntil([&] { return bench_clock::monotonicNs() - m_probe.lastActivityNs() > QuietNs; }, SendTimeoutMs);
    burst.processCpuNs = bench_clock::processCpuNs() - cpu;

    burst.shown = rowsInUse();
    burst.handlingNs = m_probe.samples();
    burst.tablePaints = m_probe.tablePaints();
    burst.tablePaintCpuNs = m_probe.tablePaintCpuNs();
    const std::int64_t shownAt = m_probe.lastRowPaintedNs() ? m_probe.lastRowPaintedNs() : m_probe.lastRowWrittenNs();
    burst.toLastRowNs = shownAt ? shownAt - burst.sender.firstNs : 0;
    return burst;
}

BareBurst BurstRunner::runBare(const SendPlan &plan)
{
    LabProcess receiver(QString(), m_lab.receiverProgram, {u"--port"_s, QString::number(BarePort)});
    receiver.start();
    if (!receiver.waitForLine(u"ready"_s, 5000))
        throw std::runtime_error("the bare receiver did not start: " + receiver.errorOutput().toStdString());
    BareBurst burst;
    burst.sender = runSender(plan, BarePort, nullptr);
    if (!receiver.waitForFinished(SendTimeoutMs))
        throw std::runtime_error("the bare receiver did not finish");
    burst.received = receiver.number(u"received"_s);
    burst.toLastNs = burst.received ? receiver.number(u"last_ns"_s) - burst.sender.firstNs : 0;
    burst.cpuNs = receiver.number(u"cpu_ns"_s);
    return burst;
}
