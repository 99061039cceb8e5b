#include "finder/cli/watch_mode.h"

#include "finder/core/exit_status.h"
#include "finder/cli/expected_devices.h"
#include "finder/cli/interface_choice.h"
#include "finder/cli/json_line.h"
#include "finder/cli/terminal_output.h"
#include "finder/core/failure_message.h"

#include <QCoreApplication>
#include <QDateTime>

#include <unistd.h>

#include <csignal>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QString timeText(qint64 timeMs)
{
    return QDateTime::fromMSecsSinceEpoch(timeMs).toUTC().toString(Qt::ISODateWithMs);
}

// One JSON line's device fields, by the listing's keys.
JsonLine &addFields(JsonLine &line, const DeviceRecord::Fields &fields, quint8 which = 0xff)
{
    for (int f = 0; f < DeviceRecord::FieldCount; ++f) {
        if (which & (1u << f))
            line.add(DeviceRecord::fieldKey(DeviceRecord::Field(f)), fields[f]);
    }
    return line;
}

} // namespace

WatchMode::WatchMode(const CommandLine &commandLine, const DiscoveryEndpoint::Settings &settings, QObject *parent)
    : QObject(parent)
    , m_commandLine(commandLine)
    , m_stopSignals({SIGINT, SIGTERM})
    , m_output(STDOUT_FILENO)
    , m_endpoint(InterfaceChoice::withInterfaces(settings, commandLine.interfaceNames))
    , m_controller(*this, nullptr, m_endpoint)
    , m_watch(m_controller, this)
{
    connect(&m_endpoint, &DiscoveryEndpoint::datagramsArrived, &m_controller, &FinderController::onDatagrams);
    connect(&m_watch, &DeviceWatch::deviceEvent, this, &WatchMode::printEvent);
    connect(&m_watch, &DeviceWatch::roundEnded, this, &WatchMode::printMissing);
    connect(&m_watch, &DeviceWatch::rosterFull, this, &WatchMode::warnFull);
    connect(&m_endpoint, &DiscoveryEndpoint::reopened, this, &WatchMode::onBound);
    connect(&m_stopSignals, &SignalWatcher::caught, this, [this] {
        if (const qint64 dropped = m_watch.roster().dropped(); dropped > 0)
            printError(u"warning: %1 new devices were dropped: the watch was full"_s.arg(dropped));
        QCoreApplication::exit(ExitStatus::Stopped);
    });
}

int WatchMode::exec()
{
    if (!InterfaceChoice::namesAreKnown(m_commandLine.interfaceNames))
        return ExitStatus::Failed;
    if (!m_commandLine.expectFile.isEmpty()) {
        m_tally = ExpectedDevices::load(m_commandLine);
        if (!m_tally)
            return ExitStatus::Failed;
    }
    // The socket is bound once; every round sends on it. The bind helper
    // answers while the event loop runs, so a signal ends the wait.
    m_endpoint.reopenWithoutWaiting();
    if (m_failed)
        return ExitStatus::Failed;
    m_running = true;
    return QCoreApplication::exec();
}

void WatchMode::onBound(const std::optional<EndpointError> &failure)
{
    if (m_started)
        return;   // bound once; the rounds reuse the socket
    if (failure)
        reportFailure(*failure);
    else
        m_watch.start(m_commandLine.intervalSeconds, m_commandLine.goneAfter);
    if (!m_failed)
        m_started = true;
    else if (m_running)
        QCoreApplication::exit(ExitStatus::Failed);
}

void WatchMode::warnFull(bool dropped)
{
    // Each once: the watch goes on, and the drops are counted at its end.
    if (std::exchange(dropped ? m_saidDropping : m_saidReplacing, true))
        return;
    const QString full = u"warning: the watch holds %1 devices, the most it can"_s.arg(DeviceRecord::MaxDevices);
    printError(dropped ? full + u", and none of them is gone: new devices are dropped until some go"_s
                       : full + u": each new device takes the place of the device gone longest"_s);
}

void WatchMode::addStatus(JsonLine &line, const SiteTally::Verdict &verdict) const
{
    line.add(u"status"_s, SitePlan::statusName(verdict.status));
    if (verdict.notes)
        line.add(u"matched"_s, SitePlan::matchNoteText(verdict.notes));
    if (verdict.planned >= 0 && !m_tally->plan().devices()[verdict.planned].name.isEmpty())
        line.add(u"name"_s, m_tally->plan().devices()[verdict.planned].name);
}

void WatchMode::printEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs)
{
    const DeviceRoster::Entry &device = m_watch.roster().entry(entry);
    JsonLine line;
    line.add(u"event"_s, DeviceRoster::eventName(event)).add(u"time"_s, timeText(timeMs));
    addFields(line, device.values);
    if (event == DeviceRoster::Event::Gone)
        line.add(u"last_seen"_s, timeText(device.lastSeenMs));
    if (event == DeviceRoster::Event::Changed || event == DeviceRoster::Event::Back) {
        JsonLine previous;
        if (!addFields(previous, device.previous, device.changedFields).isEmpty())
            line.addObject(u"previous"_s, previous);
    }
    if (m_tally) {
        // A device gone leaves its station missing; back, it answers for it again.
        SiteTally::Verdict verdict = event == DeviceRoster::Event::Gone ? m_tally->remove(device.values)
                                                                        : m_tally->add(device.values);
        if (event == DeviceRoster::Event::Gone && verdict.planned >= 0)
            verdict = SiteTally::missingStation(verdict.planned);
        addStatus(line, verdict);
    }
    print(line);
}

void WatchMode::printMissing(int round)
{
    if (!m_tally || round != 1)
        return;
    const QString now = timeText(QDateTime::currentMSecsSinceEpoch());
    for (const qsizetype p : m_tally->missing()) {
        const SitePlan::Device &device = m_tally->plan().devices()[p];
        JsonLine line;
        line.add(u"event"_s, u"missing"_s).add(u"time"_s, now);
        addFields(line, {device.ip, device.serial, device.mac, device.version},
                  quint8(~(1u << DeviceRecord::Description)));
        addStatus(line, SiteTally::missingStation(p));
        print(line);
    }
}

void WatchMode::print(const JsonLine &line)
{
    if (m_output.write(line.line()))
        return;
    // As the list mode ends: quietly for a reader gone, loudly for a full disk.
    if (m_output.state() == DescriptorWriter::State::Failed)
        printError(m_output.failure());
    QCoreApplication::exit(m_output.state() == DescriptorWriter::State::Failed ? ExitStatus::WriteFailed
                                                                                : ExitStatus::SignalBase + SIGPIPE);
}

void WatchMode::reportFailure(const EndpointError &error)
{
    printError(failureMessage(error, QCoreApplication::applicationFilePath()));
    // Once running, a round that could not go out (a link down for a
    // while) is said and the watch goes on; the first must go out.
    if (!m_started)
        m_failed = true;
}

void WatchMode::reportWarning(const EndpointError &error)
{
    printError(u"warning: "_s + warningMessage(error));
}
