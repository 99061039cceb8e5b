// veltrin-bench: the finder's real window, offscreen, in the network lab's
// finder namespace. veltrin-device-sim sends the bursts from 4000 device
// addresses; each burst goes once to the finder and once to a bare receive
// loop beside it, with the stock receive buffer limit and a raised one.
// Started by bench/run.sh; prints one table and exits 1 when a target is
// missed, 2 when the benchmark itself fails.
#include "devicelist/device_table.h"
#include "finder/window/main_window.h"
#include "bench/watch_rows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int TableRows = DeviceRecord::MaxDevices;
constexpr quint16 FinderPort = 1010;
constexpr quint16 BarePort = 1011;
constexpr qint64 StockLimit = 212992;
constexpr qint64 RaisedLimit = 4 * 1024 * 1024;
constexpr std::int64_t PausesNs = 200'000'000;   // the endpoint's two pauses in every refresh
constexpr std::int64_t QuietNs = 150'000'000;    // nothing handled for this long: the burst is over
constexpr int TimeoutMs = 60'000;
constexpr int LargeReplyBytes = 60'000;

using Samples = std::vector<std::int64_t>;

std::int64_t clockNs(clockid_t clock = CLOCK_MONOTONIC)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

// Every thread of this process (the endpoint's reader too), not its children.
std::int64_t processCpuNs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval &v) { return (std::int64_t{v.tv_sec} * 1'000'000 + v.tv_usec) * 1000; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// The window thread's event loop, as the finder's own would run it.
bool pumpUntil(const std::function<bool()> &done, int timeoutMs = TimeoutMs)
{
    QTimer tick;   // wakes the wait, so done() is looked at
    tick.start(5);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

std::int64_t percentile(Samples samples, double fraction)
{
    if (samples.empty())
        return 0;
    const auto at = static_cast<std::size_t>(fraction * double(samples.size() - 1) + 0.5);
    std::nth_element(samples.begin(), samples.begin() + std::ptrdiff_t(at), samples.end());
    return samples[at];
}

QString grouped(qint64 n) { return QLocale(QLocale::English).toString(n); }
QString ms(std::int64_t ns) { return u"%1 ms"_s.arg(double(ns) / 1e6, 0, 'f', 1); }
QString us(double ns) { return u"%1 µs"_s.arg(ns / 1e3, 0, 'f', 1); }
QString mib(qint64 bytes) { return u"%1 MiB"_s.arg(double(bytes) / 1048576.0, 0, 'f', 1); }
QString perSecond(double rate) { return grouped(qRound64(rate / 100) * 100) + u"/s"_s; }

qint64 fileNumber(const QString &path, const QByteArray &key = {})
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    if (key.isEmpty())
        return file.readAll().trimmed().toLongLong();
    // A /proc file has no size, so read until a line comes back empty.
    for (QByteArray line = file.readLine(); !line.isEmpty(); line = file.readLine()) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).simplified().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

qint64 peakResident() { return fileNumber(u"/proc/self/status"_s, "VmHWM"); }
qint64 resident() { return fileNumber(u"/proc/self/status"_s, "VmRSS"); }

// Starts a measurement of its own: what earlier rows freed goes back to the
// system, and the high-water mark starts again from what is resident now.
void startPeakAfresh()
{
    ::malloc_trim(0);
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        throw std::runtime_error("the peak resident memory cannot be reset (/proc/self/clear_refs)");
}

// The one table: finder and bare receiver side by side, target, verdict.
class Table
{
public:
    void add(const QString &measurement, const QString &finder, const QString &bare, const QString &target,
             std::optional<bool> met)
    {
        m_rows.append({measurement, finder, bare, target, !met ? u"-"_s : *met ? u"met"_s : u"MISSED"_s});
        m_missed = m_missed || (met && !*met);
    }
    bool missed() const { return m_missed; }
    QString text() const
    {
        const QList<QStringList> rows =
                QList<QStringList>{{u"Measurement"_s, u"Finder"_s, u"Bare receiver"_s, u"Target"_s, u"Verdict"_s}}
                + m_rows;
        QList<qsizetype> widths(5, 0);
        for (const QStringList &row : rows) {
            for (int c = 0; c < 5; ++c)
                widths[c] = std::max(widths[c], row[c].size());
        }
        QString text;
        for (const QStringList &row : rows) {
            text += u'|';
            for (int c = 0; c < 5; ++c)
                text += u' ' + row[c].leftJustified(widths[c]) + u" |"_s;
            text += u'\n';
            if (&row == &rows.first()) {
                text += u'|';
                for (const qsizetype width : widths)
                    text += QString(width + 2, u'-') + u'|';
                text += u'\n';
            }
        }
        return text;
    }

private:
    QList<QStringList> m_rows;
    bool m_missed = false;
};

// A helper program, in a namespace of its own or this one. Its output is
// lines of key=value words; the last value of each key wins.
class Helper
{
public:
    // A session of its own puts the program in a scheduling group of its
    // own (autogroup): the devices' sending then takes no CPU share from the
    // finder, as on a user's desktop, and the bare receiver gets a share of
    // its own as the finder does.
    enum class Session { Shared, Own };

    Helper(const QString &ns, const QString &program, const QStringList &arguments, Session session = Session::Shared)
    {
        QStringList command{program};
        if (session == Session::Own)
            command = QStringList{u"setsid"_s, u"--wait"_s} + command;
        if (!ns.isEmpty())
            command = QStringList{u"ip"_s, u"netns"_s, u"exec"_s, ns} + command;
        const QString first = command.takeFirst();
        m_process.start(first, command + arguments);
        if (!m_process.waitForStarted(5000))
            throw std::runtime_error("cannot start " + program.toStdString());
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] { read(); });
    }
    ~Helper()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

    bool waitForLine(const QString &prefix)
    {
        return pumpUntil([&] { return m_output.contains(u'\n' + prefix) || !running(); }, 5000)
            && m_output.contains(u'\n' + prefix);
    }
    void finish(const char *what)
    {
        if (!pumpUntil([&] { return !running(); }) || m_process.exitCode() != 0)
            throw std::runtime_error(std::string(what) + " failed: " + m_process.readAllStandardError().toStdString());
        read();
    }
    qint64 value(const QString &key) const
    {
        const auto match = QRegularExpression(u"\\b%1=(\\d+)"_s.arg(key)).globalMatch(m_output);
        qint64 last = 0;
        for (auto it = match; it.hasNext();)
            last = it.next().captured(1).toLongLong();
        return last;
    }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    void stop() { m_process.terminate(); }

private:
    void read() { m_output += QString::fromUtf8(m_process.readAllStandardOutput()); }

    QProcess m_process;
    QString m_output = u"\n"_s;
};

// Splits the window thread's CPU time into one sample per reply: from the
// start of the event that began a round of notifications to the first row
// written, then row to row. Each sample so holds the hand-over, parsing and
// filling of one reply and the label update of the one before it.
class Probe
{
public:
    void roundStarted() { m_markNs = clockNs(CLOCK_THREAD_CPUTIME_ID); m_inRound = true; }
    void roundEnded() { m_inRound = false; }
    void rowWritten()
    {
        const std::int64_t cpu = clockNs(CLOCK_THREAD_CPUTIME_ID);
        if (m_inRound)
            samples.push_back(cpu - m_markNs);
        m_markNs = cpu;
        lastRowNs = lastActivityNs = clockNs();
        paintedAfterRowNs = 0;
    }
    void painted()
    {
        if (lastRowNs != 0 && paintedAfterRowNs == 0)
            paintedAfterRowNs = clockNs();
    }
    void reset()
    {
        samples.clear();
        lastRowNs = paintedAfterRowNs = 0;
        lastActivityNs = clockNs();
    }

    Samples samples;
    std::int64_t lastRowNs = 0;
    std::int64_t paintedAfterRowNs = 0;
    std::int64_t lastActivityNs = 0;

private:
    std::int64_t m_markNs = 0;
    bool m_inRound = false;
};

// Sees the events a round of notifications starts in: the reader's wake-up
// (a socket notifier) and a round's continuation (a queued call).
class BenchApplication : public QApplication
{
public:
    using QApplication::QApplication;
    Probe *probe = nullptr;
    QObject *viewport = nullptr;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (!probe || (type != QEvent::SockAct && type != QEvent::MetaCall && type != QEvent::Paint))
            return QApplication::notify(receiver, event);
        if (type == QEvent::Paint) {
            const bool handled = QApplication::notify(receiver, event);
            if (receiver == viewport)
                probe->painted();
            return handled;
        }
        probe->roundStarted();
        const bool handled = QApplication::notify(receiver, event);
        probe->roundEnded();
        return handled;
    }
};

struct Lab
{
    QString deviceNamespace;
    QString finderAddress;
    QString devices;   // "A+K"
    QString finder;
    QString simulator;
    QString receiver;

    static Lab fromEnvironment(const QStringList &arguments)
    {
        const QStringList addresses = qEnvironmentVariable("VELTRIN_LAB_DEVICES_1").split(u' ', Qt::SkipEmptyParts);
        Lab lab{qEnvironmentVariable("VELTRIN_LAB_DEVICE_NS_1"),
                qEnvironmentVariable("VELTRIN_LAB_FINDER_ADDRESSES").section(u' ', 0, 0),
                addresses.value(0) + u'+' + QString::number(addresses.size()), arguments.value(1),
                arguments.value(2), arguments.value(3)};
        if (lab.deviceNamespace.isEmpty() || lab.finderAddress.isEmpty() || addresses.isEmpty())
            throw std::runtime_error("not in a network lab with devices: run it through bench/run.sh");
        return lab;
    }
};

// How a burst is sent: flat out, spread over a time, or at a rate.
struct Plan
{
    int count = 0;
    int spreadMs = 0;
    double rate = 0;

    QString label() const
    {
        if (spreadMs > 0)
            return u"%1 over %2"_s.arg(grouped(count), spreadMs >= 1000 ? u"%1 s"_s.arg(spreadMs / 1000)
                                                                         : u"%1 ms"_s.arg(spreadMs));
        return rate > 0 ? u"%1 at %2"_s.arg(grouped(count), perSecond(rate)) : u"%1 at the sender's top speed"_s.arg(grouped(count));
    }
    QStringList pacing() const
    {
        if (spreadMs > 0)
            return {u"--spread-ms"_s, QString::number(spreadMs)};
        if (rate > 0)
            return {u"--rate"_s, QString::number(rate, 'f', 0)};
        return {};
    }
};

struct Sent
{
    qint64 count = 0;
    std::int64_t firstNs = 0;
    std::int64_t lastNs = 0;
    double rate() const { return count > 1 && lastNs > firstNs ? (count - 1) * 1e9 / double(lastNs - firstNs) : 0; }
};

struct Result
{
    Sent sent;
    qint64 received = 0;   // rows shown, for the finder
    std::int64_t lastNs = 0;
    std::int64_t cpuNs = 0;
};

class Bench
{
public:
    Bench(const Lab &lab, BenchApplication &app)
        : m_lab(lab)
        , m_app(app)
        , m_originalLimit(fileNumber(LimitFile))
    {
    }
    ~Bench() { writeLimit(m_originalLimit); }

    const Table &run();

private:
    static inline const QString LimitFile = u"/proc/sys/net/core/rmem_max"_s;

    // Through a descriptor run.sh opened outside the lab: the setting is
    // read-only inside a network namespace.
    static bool writeLimit(qint64 bytes)
    {
        bool ok = false;
        const int descriptor = qEnvironmentVariableIntValue("VELTRIN_RMEM_MAX_FD", &ok);
        const QByteArray text = QByteArray::number(bytes);
        return ok && bytes > 0 && ::pwrite(descriptor, text.constData(), size_t(text.size()), 0) == text.size();
    }
    void setLimit(qint64 bytes)
    {
        if (!writeLimit(bytes))
            throw std::runtime_error("cannot set net.core.rmem_max (VELTRIN_RMEM_MAX_FD)");
    }
    Sent send(const Plan &plan, quint16 port, const QStringList &extra = {})
    {
        Helper sim(m_lab.deviceNamespace, m_lab.simulator,
                   QStringList{u"send"_s, u"--to"_s, m_lab.finderAddress + u':' + QString::number(port),
                               u"--addresses"_s, m_lab.devices, u"--burst"_s, QString::number(plan.count),
                               u"--quiet"_s} + plan.pacing() + extra,
                   Helper::Session::Own);
        sim.finish("the simulator");
        return Sent{sim.value(u"sent"_s), sim.value(u"first_ns"_s), sim.value(u"last_ns"_s)};
    }
    int rowsInUse() const
    {
        int rows = 0;   // one block from the top
        while (DeviceTable::isInUse(m_model->index(rows, 0)))
            ++rows;
        return rows;
    }
    std::int64_t refresh()
    {
        const std::int64_t started = clockNs();
        m_refresh->click();
        const std::int64_t wall = clockNs() - started;
        pumpUntil([deadline = QDeadlineTimer(20)] { return deadline.hasExpired(); });
        return wall;
    }
    // Until no row has been written for a while, and then a while longer
    // without one: on a busy machine the window thread may wait that long
    // for a core.
    void waitForQuiet()
    {
        for (int rows = -1; rows != rowsInUse();) {
            rows = rowsInUse();
            const std::int64_t since = clockNs();
            pumpUntil([&] { return clockNs() - std::max(since, m_probe.lastActivityNs) > QuietNs; });
        }
    }
    Result bare(const Plan &plan)
    {
        Helper receiver({}, m_lab.receiver, {QString::number(BarePort)}, Helper::Session::Own);
        if (!receiver.waitForLine(u"ready"_s))
            throw std::runtime_error("the bare receiver did not start");
        Result r{send(plan, BarePort)};
        receiver.finish("the bare receiver");
        r.received = receiver.value(u"received"_s);
        r.lastNs = receiver.value(u"last_ns"_s);
        r.cpuNs = receiver.value(u"cpu_ns"_s);
        return r;
    }
    Result finder(const Plan &plan, const QStringList &extra = {})
    {
        refresh();
        m_probe.reset();
        const std::int64_t cpu = processCpuNs();
        Result r{send(plan, FinderPort, extra)};
        waitForQuiet();
        r.cpuNs = processCpuNs() - cpu;
        r.received = rowsInUse();
        r.lastNs = m_probe.paintedAfterRowNs ? m_probe.paintedAfterRowNs : m_probe.lastRowNs;
        return r;
    }

    void startUp();
    void bursts(const QString &buffer, bool stock);
    void lossFreeRate(const QString &buffer, bool stock);
    void refreshAndMemory();
    void largeReplies();
    void addWatchRows();
    void sortedFilteredBurst();
    void sortAndFilter();
    void clickHeader(int column) { emit m_grid->horizontalHeader()->sectionClicked(column); }
    // A call on the window thread and the repaint it causes.
    std::int64_t timedWithRepaint(const std::function<void()> &call)
    {
        const std::int64_t started = clockNs();
        call();
        m_grid->viewport()->repaint();
        return clockNs() - started;
    }

    const Lab &m_lab;
    BenchApplication &m_app;
    qint64 m_originalLimit;
    Table m_table;
    Probe m_probe;
    QAbstractButton *m_refresh = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_filter = nullptr;
    const QAbstractItemModel *m_model = nullptr;
    Samples m_handling;
    qint64 m_ordinaryPeak = 0;
};

void Bench::startUp()
{
    Samples samples;
    for (int run = 0; run < 5; ++run) {
        Helper watcher(m_lab.deviceNamespace, m_lab.receiver, {u"8002"_s, u"0"_s, u"0"_s, u"10000"_s, u"first"_s});
        if (!watcher.waitForLine(u"ready"_s))
            throw std::runtime_error("the wire watcher did not start");
        const std::int64_t started = clockNs();
        Helper finder({}, m_lab.finder, {});
        watcher.finish("the wire watcher");
        finder.stop();
        if (watcher.value(u"received"_s) != 1)
            throw std::runtime_error("the finder's request did not reach the device namespace");
        samples.push_back(watcher.value(u"first_ns"_s) - started - PausesNs);
    }
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    const std::int64_t median = percentile(samples, 0.5);
    m_table.add(u"Start-up: exec of veltrin-finder to its request on the wire"_s,
                u"median %1 (%2 to %3 over 5 runs) beyond the two pauses"_s.arg(ms(median), ms(*low), ms(*high)),
                u"-"_s, u"< 150 ms"_s, median < 150'000'000);
}

void Bench::bursts(const QString &buffer, bool stock)
{
    const QList<Plan> plans{{1000, 100}, {10000, 100}, {TableRows, 100}, {TableRows, 1000},
                            {10000, 0}, {TableRows, 0}, {2000, 10}};
    for (const Plan &plan : plans) {
        const bool largeSite = plan.count == 2000;
        const int trials = largeSite ? 5 : 3;
        Result finderSum, bareSum;
        Samples toLastRow, cpuPerReply, senderRates;
        for (int trial = 0; trial < trials; ++trial) {
            const Result b = bare(plan);
            const Result f = finder(plan);
            m_handling.insert(m_handling.end(), m_probe.samples.begin(), m_probe.samples.end());
            if (f.received == TableRows && m_ordinaryPeak == 0)
                m_ordinaryPeak = peakResident();
            bareSum.sent.count += b.sent.count;
            bareSum.received += b.received;
            bareSum.cpuNs += b.cpuNs;
            finderSum.sent.count += f.sent.count;
            finderSum.received += f.received;
            toLastRow.push_back(f.lastNs ? f.lastNs - f.sent.firstNs : 0);
            cpuPerReply.push_back(f.received ? f.cpuNs / f.received : 0);
            senderRates.push_back(std::int64_t(f.sent.rate()));
        }
        const qint64 finderLost = finderSum.sent.count - finderSum.received;
        const qint64 bareLost = bareSum.sent.count - bareSum.received;
        QString label = u"Burst, %1 buffer: %2"_s.arg(buffer, plan.label());
        if (plan.spreadMs == 0)
            label += u" (sender %1)"_s.arg(perSecond(double(percentile(senderRates, 0.5))));
        const QString finder = u"%1 of %2 shown over %3 trials, %4 lost; last row %5 after first send (median); "
                               u"CPU %6/reply"_s.arg(grouped(finderSum.received), grouped(finderSum.sent.count))
                                       .arg(trials)
                                       .arg(grouped(finderLost), ms(percentile(toLastRow, 0.5)),
                                            us(double(percentile(cpuPerReply, 0.5))));
        const QString bare = u"%1 of %2 received, %3 lost; CPU %4/datagram"_s.arg(
                grouped(bareSum.received), grouped(bareSum.sent.count), grouped(bareLost),
                us(bareSum.received ? double(bareSum.cpuNs) / double(bareSum.received) : 0));
        if (largeSite && stock) {
            m_table.add(label + u" (large site)"_s, finder, bare, u">= 99 % of the bare receiver's"_s,
                        finderSum.received * 100 >= bareSum.received * 99);
        } else {
            m_table.add(label, finder, bare, u"lost <= bare's + 0.5 % of sent"_s,
                        finderLost * 1000 <= bareLost * 1000 + 5 * finderSum.sent.count);
        }
    }
}

void Bench::lossFreeRate(const QString &buffer, bool stock)
{
    // Doubling from a start rate until the first loss, then bisecting
    // between the last lossless and the first lossy rate asked for.
    const auto search = [](const std::function<Result(double)> &trial, bool &senderLimited, int &trials) {
        double best = 0, low = 0, high = 0;
        const auto run = [&](double rate) {
            const Result r = trial(rate);
            ++trials;
            const bool lossless = r.received >= r.sent.count && r.sent.count == TableRows;
            if (lossless) {
                low = std::max(low, rate);
                best = std::max(best, r.sent.rate());
            } else {
                high = high > 0 ? std::min(high, rate) : rate;
            }
            return std::pair{lossless, r.sent.rate()};
        };
        const bool startLossless = run(50'000).first;
        for (int step = 0; step < 6 && (startLossless ? high == 0 : low == 0); ++step) {
            const double rate = startLossless ? low * 2 : high / 2;
            const auto [lossless, achieved] = run(rate);
            if (lossless && achieved < 0.9 * rate) {
                senderLimited = true;   // asking for more would test nothing
                return best;
            }
        }
        for (int i = 0; i < 3 && low > 0 && high > 0; ++i)
            run(std::sqrt(low * high));
        return best;
    };
    bool finderLimited = false, bareLimited = false;
    int finderTrials = 0, bareTrials = 0;
    const double finder = search([&](double rate) { return this->finder(Plan{TableRows, 0, rate}); }, finderLimited,
                                 finderTrials);
    const double bare = search([&](double rate) { return this->bare(Plan{TableRows, 0, rate}); }, bareLimited,
                               bareTrials);
    const double ratio = bare > 0 ? finder / bare : 0;
    const double target = stock ? 0.9 : 0.25;
    const auto text = [](double rate, bool limited, int trials) {
        return u"%1%2 (%3 trials)%4"_s.arg(limited ? u">= "_s : QString(), perSecond(rate)).arg(trials)
                .arg(limited ? u", no loss at the sender's top speed"_s : QString());
    };
    m_table.add(u"Loss-free rate, bursts of 32,767, %1 buffer"_s.arg(buffer),
                text(finder, finderLimited, finderTrials) + u"; %1 of the bare receiver's"_s.arg(ratio, 0, 'f', 2),
                text(bare, bareLimited, bareTrials), u">= %1 of the bare receiver's"_s.arg(target), ratio >= target);

    QString socket;
    QProcess ss;
    ss.start(u"ss"_s, {u"-u"_s, u"-a"_s, u"-m"_s, u"-n"_s, u"sport = :%1"_s.arg(FinderPort)});
    if (ss.waitForFinished(5000))
        socket = QRegularExpression(u"\\brb(\\d+)"_s).match(QString::fromUtf8(ss.readAllStandardOutput())).captured(1);
    Helper nobody({}, u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, m_lab.receiver,
                                     u"41012"_s, QString::number(RaisedLimit), u"0"_s, u"1"_s});
    nobody.finish("the receiver as nobody");
    m_table.add(u"Receive buffer, 4 MiB asked for, %1 buffer"_s.arg(buffer),
                u"the endpoint's socket has %1; a process without privileges gets %2 (net.core.rmem_max %3, "
                u"doubled by the kernel)"_s.arg(mib(socket.toLongLong()), mib(nobody.value(u"rcvbuf"_s)),
                                                grouped(fileNumber(LimitFile))),
                u"asks for the same"_s, u"-"_s, std::nullopt);
}

void Bench::refreshAndMemory()
{
    Samples refreshes;
    for (int attempt = 0; attempt < 10 && refreshes.size() < 5; ++attempt) {
        finder(Plan{TableRows, 0, 20'000});
        if (rowsInUse() == TableRows)
            refreshes.push_back(refresh() - PausesNs);
    }
    const std::int64_t median = percentile(refreshes, 0.5);
    m_table.add(u"Refresh with 32,767 rows in use"_s,
                refreshes.empty() ? u"the table never had 32,767 rows in use"_s
                                  : u"median %1 over %2 refreshes beyond the two pauses"_s.arg(ms(median))
                                            .arg(refreshes.size()),
                u"-"_s, u"< 30 ms"_s, !refreshes.empty() && median < 30'000'000);
    m_table.add(u"Peak resident memory, 32,767 rows shown"_s,
                m_ordinaryPeak ? u"VmHWM %1"_s.arg(mib(m_ordinaryPeak)) : u"32,767 rows were never shown"_s, u"-"_s,
                u"< 80 MiB"_s, m_ordinaryPeak > 0 && m_ordinaryPeak < 80LL * 1024 * 1024);
    const std::int64_t handling = percentile(m_handling, 0.5);
    m_table.add(u"Handling per reply, all bursts"_s,
                u"median %1, 90th percentile %2, over %3 replies"_s.arg(us(double(handling)),
                                                                        us(double(percentile(m_handling, 0.9))),
                                                                        grouped(qint64(m_handling.size()))),
                u"-"_s, u"median <= 20 µs"_s, !m_handling.empty() && handling <= 20'000);
}

void Bench::largeReplies()
{
    // 60 kB replies until the table is full. A finder that keeps every field
    // whole would take gigabytes, so the fill stops once memory passes what
    // the target allows by a margin.
    const QString description = QString::fromLatin1(QByteArray(LargeReplyBytes, 'x').toHex());
    const qint64 stopAt = 5 * m_ordinaryPeak / 2;
    refresh();
    Samples handling;
    int rows = 0;
    for (int chunk = 0; chunk < 40 && rows < TableRows && resident() < stopAt; ++chunk) {
        m_probe.reset();
        const Plan plan{std::min(2000, TableRows - rows), 0, 4000};
        send(plan, FinderPort, {u"--description-hex"_s, description});
        waitForQuiet();
        handling.insert(handling.end(), m_probe.samples.begin(), m_probe.samples.end());
        rows = rowsInUse();
    }
    const qint64 peak = peakResident();
    const bool full = rows == TableRows;
    m_table.add(u"Peak resident memory, 32,767 rows of 60 kB replies"_s,
                full ? u"VmHWM %1; %2 of the ordinary replies' %3"_s.arg(mib(peak))
                               .arg(double(peak) / double(m_ordinaryPeak), 0, 'f', 2)
                               .arg(mib(m_ordinaryPeak))
                     : u"stopped at %1 rows, VmHWM %2 already past %3"_s.arg(grouped(rows), mib(peak), mib(stopAt)),
                u"-"_s, u"<= 2x the ordinary replies' figure"_s, full && peak <= 2 * m_ordinaryPeak);
    const std::int64_t median = percentile(handling, 0.5);
    m_table.add(u"Handling per reply, 60 kB replies"_s,
                u"median %1 over %2 replies"_s.arg(us(double(median)), grouped(qint64(handling.size()))), u"-"_s,
                u"< 200 µs"_s, !handling.empty() && median < 200'000);
}

void Bench::addWatchRows()
{
    for (const WatchBenchRow &row : watchBenchRows())
        m_table.add(row.measurement, row.result, u"-"_s, row.target, row.met);
}

// Replies into a view sorted by IP address and filtered on the devices'
// first octet, which every one of them matches: the proxy's work on top of
// the stock buffer's burst.
void Bench::sortedFilteredBurst()
{
    const Plan plan{TableRows, 1000};
    clickHeader(1);
    m_filter->setText(m_lab.devices.section(u'.', 0, 0) + u'.');
    const Result b = bare(plan);
    const Result f = finder(plan);
    const qint64 finderLost = f.sent.count - f.received;
    const qint64 bareLost = b.sent.count - b.received;
    const qint64 shown = m_grid->model()->rowCount();
    m_filter->clear();
    clickHeader(1);
    clickHeader(1);
    m_table.add(u"Burst, stock buffer, sorted by IP and filtered: %1"_s.arg(plan.label()),
                u"%1 of %2 shown, %3 lost; %4 rows pass the filter"_s.arg(grouped(f.received), grouped(f.sent.count),
                                                                           grouped(finderLost), grouped(shown)),
                u"%1 of %2 received, %3 lost"_s.arg(grouped(b.received), grouped(b.sent.count), grouped(bareLost)),
                u"lost <= bare's + 0.5 % of sent"_s,
                shown == f.received && finderLost * 1000 <= bareLost * 1000 + 5 * f.sent.count);
}

// With the table full: each header click that sorts, and each keystroke of
// a filter typed and erased, to the grid's repaint.
void Bench::sortAndFilter()
{
    for (int attempt = 0; attempt < 5 && rowsInUse() < TableRows; ++attempt)
        finder(Plan{TableRows, 0, 20'000});
    const int rows = rowsInUse();
    Samples sorts;
    for (const int column : {1, 1, 5, 5}) {   // IP up and down, description up and down
        sorts.push_back(timedWithRepaint([&] { clickHeader(column); }));
    }
    clickHeader(5);   // back to arrival order
    const auto [fastest, slowest] = std::minmax_element(sorts.begin(), sorts.end());
    m_table.add(u"Sort %1 rows by a header click (IP, description; both orders)"_s.arg(grouped(rows)),
                u"slowest %1, fastest %2 over %3 sorts"_s.arg(ms(*slowest), ms(*fastest)).arg(sorts.size()), u"-"_s,
                u"<= 150 ms"_s, rows == TableRows && *slowest <= 150'000'000);

    Samples keystrokes;
    const QString typed = m_lab.devices.section(u'+', 0, 0);
    for (qsizetype length = 1; length <= typed.size(); ++length)
        keystrokes.push_back(timedWithRepaint([&] { m_filter->setText(typed.left(length)); }));
    for (qsizetype length = typed.size() - 1; length >= 0; --length)
        keystrokes.push_back(timedWithRepaint([&] { m_filter->setText(typed.left(length)); }));
    m_table.add(u"Filter %1 rows per keystroke, \"%2\" typed and erased"_s.arg(grouped(rows), typed),
                u"slowest %1, median %2 over %3 keystrokes"_s.arg(ms(*std::max_element(keystrokes.begin(), keystrokes.end())),
                                                                  ms(percentile(keystrokes, 0.5)))
                        .arg(keystrokes.size()),
                u"-"_s, u"<= 150 ms"_s,
                rows == TableRows && *std::max_element(keystrokes.begin(), keystrokes.end()) <= 150'000'000);
}

const Table &Bench::run()
{
    // VELTRIN_BENCH_ONLY=window: the window's own rows, a few minutes shorter;
    // =stock: the stock buffer's bursts and loss-free rate, to look at a
    // change of the flood policy.
    const QString only = qEnvironmentVariable("VELTRIN_BENCH_ONLY");
    const bool windowOnly = only == u"window"_s;
    const bool stockOnly = only == u"stock"_s;
    if (!windowOnly && !stockOnly) {
        startUp();   // first, while nothing else holds port 1010
        startPeakAfresh();
    }

    MainWindow window;
    window.show();
    m_refresh = window.findChild<QAbstractButton *>(u"cmdRefresh"_s);
    auto *const grid = window.findChild<QTableView *>(u"MSFlexGrid1"_s);
    m_grid = grid;
    m_filter = window.findChild<QLineEdit *>(u"filterField"_s);
    if (!m_refresh || !grid || !m_filter)
        throw std::runtime_error("the window has no Refresh button cmdRefresh, grid MSFlexGrid1 or filterField");
    m_model = grid->model();
    QObject::connect(m_model, &QAbstractItemModel::rowsInserted, m_model, [this] { m_probe.rowWritten(); });
    QObject::connect(m_model, &QAbstractItemModel::dataChanged, m_model, [this] { m_probe.rowWritten(); });
    m_app.viewport = grid->viewport();
    m_app.probe = &m_probe;

    // The stock limit first and only as long as its bursts take: it is
    // global, shared with everything else on the machine.
    setLimit(StockLimit);
    if (windowOnly) {
        sortedFilteredBurst();
        setLimit(m_originalLimit);
        sortAndFilter();
        m_app.probe = nullptr;
        return m_table;
    }
    bursts(u"stock"_s, true);
    if (!stockOnly)
        sortedFilteredBurst();
    lossFreeRate(u"stock"_s, true);
    if (stockOnly) {
        setLimit(m_originalLimit);
        m_app.probe = nullptr;
        return m_table;
    }
    setLimit(RaisedLimit);
    bursts(u"raised"_s, false);
    lossFreeRate(u"raised"_s, false);
    setLimit(m_originalLimit);
    refreshAndMemory();
    sortAndFilter();
    largeReplies();
    m_app.probe = nullptr;
    // Last: the roster, the plans and the report would otherwise stay in the
    // window's peak memory (font and glyph caches of the PDF among them).
    addWatchRows();
    return m_table;
}

} // namespace

int main(int argc, char **argv)
{
    BenchApplication app(argc, argv);
    // The rows that need no lab, on their own: a quick look at a change.
    if (QCoreApplication::arguments().contains(u"--watch-rows"_s)) {
        Table table;
        for (const WatchBenchRow &row : watchBenchRows())
            table.add(row.measurement, row.result, u"-"_s, row.target, row.met);
        std::fputs(table.text().toUtf8().constData(), stdout);
        return table.missed() ? 1 : 0;
    }
    try {
        const Lab lab = Lab::fromEnvironment(QCoreApplication::arguments());
        Bench bench(lab, app);
        const Table &table = bench.run();
        std::fputs(table.text().toUtf8().constData(), stdout);
        return table.missed() ? 1 : 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "veltrin-bench: %s\n", e.what());
        return 2;
    }
}
