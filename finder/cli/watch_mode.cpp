#include "finder/cli/watch_mode.h"

#include "finder/core/failure_message.h"
#include "finder/cli/expected_plan.h"
#include "finder/cli/interface_choice.h"
#include "finder/cli/json_line.h"
#include "finder/cli/list_mode.h"
#include "finder/cli/terminal_output.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSet>

#include <unistd.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

QString timeText(qint64 timeMs)
{
    return QDateTime::fromMSecsSinceEpoch(timeMs).toUTC().toString(Qt::ISODateWithMs);
}

SitePlan::Received received(const DeviceRoster::Values &values)
{
    return {values[DeviceRoster::Ip], values[DeviceRoster::Serial], values[DeviceRoster::Mac],
            values[DeviceRoster::Version]};
}

} // namespace

WatchMode::WatchMode(const CommandLine &commandLine, const DiscoveryEndpoint::Settings &settings, QObject *parent)
    : QObject(parent)
    , m_commandLine(commandLine)
    , m_stopSignals({SIGINT, SIGTERM})
    , m_output(STDOUT_FILENO)
    , m_endpoint(InterfaceChoice::withInterfaces(settings, commandLine.interfaceNames))
    , m_controller(*this, m_table, m_endpoint)
    , m_watch(m_controller)
{
    connect(&m_endpoint, &DiscoveryEndpoint::dataArrival, &m_controller, &FinderController::onDatagram);
    connect(&m_watch, &DeviceWatch::deviceEvent, this, &WatchMode::printEvent);
    connect(&m_watch, &DeviceWatch::roundEnded, this, &WatchMode::printMissing);
    connect(&m_stopSignals, &SignalWatcher::caught, this, [] { QCoreApplication::exit(0); });
}

int WatchMode::exec()
{
    if (!InterfaceChoice::namesAreKnown(m_commandLine.interfaceNames))
        return 2;
    if (!m_commandLine.expectFile.isEmpty()) {
        std::optional<SitePlan> plan = readExpectedPlan(m_commandLine);
        if (!plan)
            return 2;
        m_plan = std::move(*plan);
        m_hasPlan = true;
    }
    // The socket is bound once; every round sends on it.
    if (const std::optional<EndpointError> failure = m_endpoint.reopen()) {
        reportFailure(*failure);
        return 2;
    }
    m_watch.start(m_commandLine.intervalSeconds, m_commandLine.goneAfter);
    if (m_failed)
        return 2;
    m_started = true;
    return QCoreApplication::exec();
}

void WatchMode::addStatus(JsonLine &line, const DeviceRoster::Values &values) const
{
    if (!m_hasPlan)
        return;
    const SitePlan::Match match = m_plan.classify(received(values));
    line.add(u"status"_s, SitePlan::statusName(match.status));
    if (match.planned >= 0 && !m_plan.devices()[match.planned].name.isEmpty())
        line.add(u"name"_s, m_plan.devices()[match.planned].name);
}

void WatchMode::printEvent(DeviceRoster::Event event, qsizetype entry, qint64 timeMs)
{
    const DeviceRoster::Entry &device = m_watch.roster().entry(entry);
    JsonLine line;
    line.add(u"event"_s, DeviceRoster::eventName(event)).add(u"time"_s, timeText(timeMs));
    for (int f = 0; f < DeviceRoster::FieldCount; ++f)
        line.add(DeviceRoster::fieldName(DeviceRoster::Field(f)), device.values[f]);
    if (event == DeviceRoster::Event::Gone)
        line.add(u"last_seen"_s, timeText(device.lastSeenMs));
    if (event == DeviceRoster::Event::Changed || event == DeviceRoster::Event::Back) {
        JsonLine previous;
        for (int f = 0; f < DeviceRoster::FieldCount; ++f) {
            if (device.changedFields & (1u << f))
                previous.add(DeviceRoster::fieldName(DeviceRoster::Field(f)), device.previous[f]);
        }
        if (!previous.isEmpty())
            line.addObject(u"previous"_s, previous);
    }
    addStatus(line, device.values);
    print(line);
}

void WatchMode::printMissing(int round)
{
    if (!m_hasPlan || round != 1)
        return;
    QSet<qsizetype> answered;
    const DeviceRoster &roster = m_watch.roster();
    for (qsizetype i = 0; i < roster.size(); ++i) {
        if (const qsizetype planned = m_plan.classify(received(roster.entry(i).values)).planned; planned >= 0)
            answered.insert(planned);
    }
    const QString now = timeText(QDateTime::currentMSecsSinceEpoch());
    const QList<SitePlan::Device> &devices = m_plan.devices();
    for (qsizetype p = 0; p < devices.size(); ++p) {
        if (answered.contains(p))
            continue;
        const SitePlan::Device &device = devices[p];
        JsonLine line;
        line.add(u"event"_s, u"missing"_s).add(u"time"_s, now).add(u"ip"_s, device.ip)
                .add(u"serial"_s, device.serial).add(u"mac"_s, device.mac).add(u"version"_s, device.version);
        line.add(u"status"_s, u"missing"_s);
        if (!device.name.isEmpty())
            line.add(u"name"_s, device.name);
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
    QCoreApplication::exit(m_output.state() == DescriptorWriter::State::Failed ? ListMode::WriteFailed
                                                                          : ListMode::SignalBase + SIGPIPE);
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
