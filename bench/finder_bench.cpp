// veltrin-bench: the finder's window, controller, table and endpoint with
// their default settings, run offscreen in the network lab's finder
// namespace, against a dedicated sender in the device namespace and beside a
// bare receiver. Started by bench/run.sh; prints one table.
#include "bench_application.h"
#include "bench_lab.h"
#include "bench_report.h"
#include "burst_runner.h"
#include "event_pump.h"
#include "main_window.h"
#include "rate_search.h"
#include "reply_probe.h"
#include "startup_probe.h"
#include "system_facts.h"

#include <algorithm>
#include <cstdio>
#include <exception>

using namespace Qt::StringLiterals;
using bench_stats::count;
using bench_stats::median;
using bench_stats::ms;
using bench_stats::perSecond;
using bench_stats::us;
using Verdict = BenchTable::Verdict;

namespace {

constexpr int TableRows = 32767;
constexpr std::int64_t PausesNs = 200'000'000;
constexpr int StartUpRuns = 5;
constexpr int RefreshSamples = 5;
constexpr int RequestedReceiveBuffer = 4 * 1024 * 1024;
constexpr double SearchStartRate = 50'000;
constexpr int Bisections = 4;

Verdict verdict(bool met)
{
    return met ? Verdict::Met : Verdict::Missed;
}

QString finderCell(const FinderBurst &b)
{
    const double paintShare = b.processCpuNs ? 100.0 * double(b.tablePaintCpuNs) / double(b.processCpuNs) : 0;
    return u"%1 shown, %2 lost; last row %3 after first send; CPU %4/reply, %5% of it in %6 table repaints; "
           u"median handling %7"_s.arg(count(b.shown), count(b.sender.sent - b.shown), ms(b.toLastRowNs),
                                       us(b.shown ? double(b.processCpuNs) / double(b.shown) : 0))
            .arg(paintShare, 0, 'f', 0)
            .arg(count(b.tablePaints), us(double(median(b.handlingNs))));
}

QString bareCell(const BareBurst &b)
{
    return u"%1 received, %2 lost; last %3 after first send; CPU %4/datagram"_s.arg(
            count(b.received), count(b.sender.sent - b.received), ms(b.toLastNs),
            us(b.received ? double(b.cpuNs) / double(b.received) : 0));
}

class Bench
{
public:
    Bench(const BenchLab &lab, BenchApplication &app)
        : m_lab(lab)
        , m_app(app)
    {
    }

    BenchTable run();

private:
    void measureStartUp();
    void bursts();
    void lossFreeRates();
    void refreshesAndMemory();
    void startUpAndReceiveBuffer();

    void refresh();
    FinderBurst runFinder(const SendPlan &plan);

    const BenchLab &m_lab;
    BenchApplication &m_app;
    BurstRunner *m_runner = nullptr;
    BenchTable m_table;
    std::vector<std::int64_t> m_startUpNs;
    std::vector<std::int64_t> m_refreshNs;
    std::vector<std::int64_t> m_refreshCpuNs;
    std::vector<std::int64_t> m_handlingNs;
    double m_bareCapacity = 0;   // datagrams per CPU second, when it had to work hardest
    qint64 m_windowAloneBytes = 0;
    qint64 m_peakBytes = 0;
};

BenchTable Bench::run()
{
    // First, while nothing else holds port 1010.
    measureStartUp();

    MainWindow window;
    window.show();
    pumpFor(300);
    m_windowAloneBytes = system_facts::peakResidentBytes();
    ReplyProbe probe(window);
    m_app.setWatcher(&probe);
    BurstRunner runner(m_lab, window, probe);
    m_runner = &runner;

    bursts();
    lossFreeRates();
    refreshesAndMemory();
    startUpAndReceiveBuffer();
    m_app.setWatcher(nullptr);
    return m_table;
}

void Bench::refresh()
{
    const RefreshSample sample = m_runner->refresh();
    if (sample.rowsInUseBefore == TableRows) {
        m_refreshNs.push_back(sample.wallNs - PausesNs);
        m_refreshCpuNs.push_back(sample.cpuNs);
    }
}

FinderBurst Bench::runFinder(const SendPlan &plan)
{
    FinderBurst burst = m_runner->runFinder(plan);
    if (burst.shown == TableRows && m_peakBytes == 0)
        m_peakBytes = system_facts::peakResidentBytes();
    return burst;
}

void Bench::measureStartUp()
{
    m_startUpNs = ::measureStartUp(m_lab, StartUpRuns);
    for (std::int64_t &sample : m_startUpNs)
        sample -= PausesNs;
}

void Bench::bursts()
{
    for (const int n : {1000, 10000, TableRows}) {
        const QList<SendPlan> plans{{n, SendPlan::Pacing::Spread, 100}, {n, SendPlan::Pacing::Spread, 1000},
                                    {n, SendPlan::Pacing::AsFast, 0}};
        for (const SendPlan &plan : plans) {
            const bool target = plan.pacing == SendPlan::Pacing::Spread
                    && ((n < TableRows && plan.value == 100) || (n == TableRows && plan.value == 1000));
            const BareBurst bare = m_runner->runBare(plan);
            refresh();
            const FinderBurst finder = runFinder(plan);
            m_handlingNs.insert(m_handlingNs.end(), finder.handlingNs.begin(), finder.handlingNs.end());
            if (plan.pacing == SendPlan::Pacing::AsFast && bare.cpuNs > 0)
                m_bareCapacity = std::max(m_bareCapacity, double(bare.received) * 1e9 / double(bare.cpuNs));

            QString label = u"Burst: "_s + plan.label();
            if (plan.pacing == SendPlan::Pacing::AsFast)
                label += u" (sender %1)"_s.arg(perSecond(finder.sender.rate()));
            m_table.addRow(label, finderCell(finder), bareCell(bare), target ? u"no reply lost"_s : u"-"_s,
                           target ? verdict(finder.shown == n) : Verdict::None);
        }
    }
    const std::int64_t handling = median(m_handlingNs);
    m_table.addRow(u"Handling per reply, all bursts"_s,
                   u"median %1, 90th percentile %2, over %3 replies"_s.arg(
                           us(double(handling)), us(double(bench_stats::percentile(m_handlingNs, 0.9))),
                           count(qint64(m_handlingNs.size()))),
                   u"-"_s, u"median <= 20 µs"_s, verdict(!m_handlingNs.empty() && handling <= 20'000));
}

void Bench::lossFreeRates()
{
    const auto plan = [](double rate) { return SendPlan{TableRows, SendPlan::Pacing::Rate, rate}; };
    const LossFreeRate finder = searchLossFreeRate(
            [&](double rate) {
                refresh();
                const FinderBurst b = runFinder(plan(rate));
                return RateTrial{b.shown == TableRows, b.sender.rate()};
            },
            SearchStartRate, Bisections);
    const LossFreeRate bare = searchLossFreeRate(
            [&](double rate) {
                const BareBurst b = m_runner->runBare(plan(rate));
                return RateTrial{b.received == TableRows, b.sender.rate()};
            },
            SearchStartRate, Bisections);

    // A sender that cannot make the bare receiver lose gives only a lower
    // bound; its CPU per datagram tells what it could take.
    const double bareRate = bare.senderLimited ? std::max(bare.rate, m_bareCapacity) : bare.rate;
    const double ratio = bareRate > 0 ? finder.rate / bareRate : 0;
    QString bareText = u"%1%2 (%3 trials)"_s.arg(bare.senderLimited ? u">= "_s : QString(), perSecond(bare.rate))
                               .arg(bare.trials);
    if (bare.senderLimited) {
        bareText += u"; no loss at the sender's top speed; its CPU per datagram allows %1"_s.arg(
                perSecond(m_bareCapacity));
    }
    m_table.addRow(u"Loss-free rate, bursts of 32,767"_s,
                   u"%1 (%2 trials); %3 of the bare receiver's"_s.arg(perSecond(finder.rate))
                           .arg(finder.trials)
                           .arg(ratio, 0, 'f', 2),
                   bareText, u">= 0.25 of the bare receiver's"_s, verdict(ratio >= 0.25));
}

void Bench::refreshesAndMemory()
{
    // Until enough refreshes met a full table: fill it at a pace it takes.
    for (int attempt = 0; int(m_refreshNs.size()) < RefreshSamples && attempt < 2 * RefreshSamples; ++attempt) {
        refresh();
        runFinder(SendPlan{TableRows, SendPlan::Pacing::Rate, 20'000});
    }
    refresh();
    if (m_refreshNs.empty()) {
        m_table.addRow(u"Refresh with 32,767 rows in use"_s, u"the table never had 32,767 rows in use"_s, u"-"_s,
                       u"< 30 ms"_s, Verdict::Missed);
    } else {
        const auto [low, high] = std::minmax_element(m_refreshNs.begin(), m_refreshNs.end());
        const std::int64_t wall = median(m_refreshNs);
        m_table.addRow(u"Refresh with 32,767 rows in use"_s,
                       u"median %1 (%2 to %3 over %4 refreshes) beyond the two pauses; CPU %5"_s.arg(
                               ms(wall), ms(*low), ms(*high), count(qint64(m_refreshNs.size())),
                               ms(median(m_refreshCpuNs))),
                       u"-"_s, u"< 30 ms"_s, verdict(wall < 30'000'000));
    }
    m_table.addRow(u"Peak resident memory, 32,767 rows shown"_s,
                   m_peakBytes ? u"VmHWM %1 (the window with no rows: %2)"_s.arg(
                                         bench_stats::mib(m_peakBytes), bench_stats::mib(m_windowAloneBytes))
                               : u"32,767 rows were never shown"_s,
                   u"-"_s, u"< 80 MiB"_s, verdict(m_peakBytes > 0 && m_peakBytes < 80LL * 1024 * 1024));
}

void Bench::startUpAndReceiveBuffer()
{
    const auto [low, high] = std::minmax_element(m_startUpNs.begin(), m_startUpNs.end());
    const std::int64_t startUp = median(m_startUpNs);
    m_table.addRow(u"Start-up: exec of veltrin-finder to its request on the wire"_s,
                   u"median %1 (%2 to %3 over %4 runs) beyond the two pauses"_s.arg(ms(startUp), ms(*low), ms(*high))
                           .arg(m_startUpNs.size()),
                   u"-"_s, u"< 150 ms"_s, verdict(startUp < 150'000'000));

    const qint64 finder = system_facts::socketReceiveBuffer(BurstRunner::FinderPort);
    const qint64 unprivileged = system_facts::unprivilegedReceiveBuffer(m_lab.receiverProgram, RequestedReceiveBuffer);
    const auto size = [](qint64 bytes) { return bytes < 0 ? u"unknown"_s : bench_stats::mib(bytes); };
    m_table.addRow(u"Receive buffer, 4 MiB asked for"_s,
                   u"the endpoint's socket has %1; a process without privileges gets %2 "
                   u"(net.core.rmem_max %3, doubled by the kernel)"_s.arg(
                           size(finder), size(unprivileged), size(system_facts::receiveBufferLimit())),
                   u"asks for the same"_s, u"-"_s, Verdict::None);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchApplication app(argc, argv);
    try {
        const BenchLab lab = BenchLab::fromEnvironment(QCoreApplication::arguments());
        Bench bench(lab, app);
        const BenchTable table = bench.run();
        std::fputs(table.toText().toUtf8().constData(), stdout);
        return table.allMet() ? 0 : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "veltrin-bench: %s\n", e.what());
        return 2;
    }
}
