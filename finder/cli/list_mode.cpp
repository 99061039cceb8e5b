#include "finder/cli/list_mode.h"

#include "devicelist/device_export.h"
#include "devicelist/device_listing.h"
#include "devicelist/device_table.h"
#include "devicelist/site_report.h"
#include "devicelist/site_rows.h"
#include "discovery/broadcast_interfaces.h"
#include "discovery/broadcast_plan.h"
#include "finder/core/exit_status.h"
#include "finder/cli/expected_devices.h"
#include "finder/cli/interface_choice.h"
#include "finder/cli/report_writer.h"
#include "finder/cli/terminal_output.h"
#include "finder/core/failure_message.h"
#include "finder/core/request_routes.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cmath>
#include <csignal>
#include <utility>

using namespace Qt::StringLiterals;
using namespace ExitStatus;

ListMode::ListMode(const CommandLine &commandLine, const DiscoveryEndpoint::Settings &settings,
                   const ReportWriter *reportWriter, QObject *parent)
    : QObject(parent)
    , m_commandLine(commandLine)
    , m_reportWriter(reportWriter)
    , m_endpoint(InterfaceChoice::withInterfaces(settings, commandLine.interfaceNames))
    , m_controller(*this, &m_devices, m_endpoint)
    , m_output(commandLine.outputPath)
    , m_signals({SIGINT, SIGTERM})
{
    connect(&m_signals, &SignalWatcher::caught, this, [this](int number) { finish(SignalBase + number); });
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, [this] { finish(m_printedRows > 0 ? Found : NoneFound); });
    connect(&m_endpoint, &DiscoveryEndpoint::datagramsArrived, &m_controller, &FinderController::onDatagrams);
    connect(&m_controller, &FinderController::sendingFinished, this, &ListMode::startWaiting);
}

int ListMode::exec()
{
    m_prometheus.start(BroadcastPlan::select(broadcastInterfaces(), m_commandLine.interfaceNames).interfaces);
    const bool ready = InterfaceChoice::namesAreKnown(m_commandLine.interfaceNames) && loadPlan();
    // Metrics put a scan that cannot start in place of the last one, as a
    // failed scan; the other listings leave the last one as it was.
    if (!ready && m_commandLine.format != CommandLine::Format::Prometheus)
        return Failed;
    if (!m_output.open()) {
        printError(m_output.errorString());
        return WriteFailed;
    }
    if (!ready)
        return conclude(Failed);

    m_controller.start(m_commandLine.targets, m_commandLine.ratePerSecond);
    if (m_failed)
        return conclude(Failed);
    // The header waits for the bind, which the helper may answer later: a
    // port that cannot be had prints nothing.
    m_running = true;
    return QCoreApplication::exec();
}

bool ListMode::loadPlan()
{
    if (m_commandLine.expectFile.isEmpty())
        return true;
    m_tally = ExpectedDevices::load(m_commandLine);
    return m_tally.has_value();
}

QStringList ListMode::row(qsizetype index) const
{
    // The text table shows what the window shows; CSV carries the
    // identifiers as received, to be matched later.
    const bool shown = m_commandLine.format == CommandLine::Format::Text;
    QStringList cells = SiteRows::exportCells(m_tally ? m_compared[index] : SiteRows::ofDevice(index + 1, m_devices.at(index).fields),
                                              shown);
    if (shown && m_devices.at(index).origin.otherSubnet)
        cells[DeviceTable::IpColumn] = DeviceListing::withOtherSubnetMark(cells[DeviceTable::IpColumn]);
    return m_tally ? cells : cells.first(DeviceTable::ColumnCount);
}

QList<SiteRow> ListMode::missingStations() const
{
    QList<SiteRow> stations;
    for (const qsizetype p : m_tally->missing())
        stations << SiteRows::missing(m_tally->plan(), p);
    return stations;
}

void ListMode::datagramHandled(const QString &text, int foundCount)
{
    Q_UNUSED(text);
    Q_UNUSED(foundCount);
    // Devices come in order, so the new ones follow those printed.
    while (m_printedRows < m_devices.size()) {
        if (m_tally) {
            const DeviceRecord::Fields &fields = m_devices.at(m_printedRows).fields;
            const SiteTally::Verdict verdict = m_tally->add(fields);
            m_compared << SiteRows::judged(m_tally->plan(), verdict, SiteRows::ofDevice(m_printedRows + 1, fields));
        }
        ++m_printedRows;
        if (!printHeader())
            return;
        const QStringList cells = row(m_printedRows - 1);
        if (m_commandLine.format == CommandLine::Format::Text && !print(DeviceListing::textLine(cells)))
            return;
        if (m_commandLine.format == CommandLine::Format::Csv && !print(DeviceExport::toCsv({cells}, false)))
            return;
    }
}

void ListMode::startWaiting()
{
    m_waitTimer.start(static_cast<int>(std::lround(m_commandLine.waitSeconds * 1000)));
}

bool ListMode::printHeader()
{
    if (std::exchange(m_headerPrinted, true))
        return true;
    if (m_commandLine.format == CommandLine::Format::Text)
        return print(m_tally ? DeviceListing::textLine(SiteRows::exportHeader()) : DeviceListing::textHeader());
    if (m_commandLine.format == CommandLine::Format::Csv)
        return print(m_tally ? DeviceExport::toCsv({SiteRows::exportHeader()}, false) : DeviceExport::toCsv({}, true));
    return true;
}

bool ListMode::print(const QByteArray &bytes)
{
    if (m_output.write(bytes))
        return true;
    finish(WriteFailed);
    return false;
}

void ListMode::finish(int status)
{
    if (m_finished)
        return;
    m_finished = true;
    m_waitTimer.stop();
    status = conclude(status);
    if (m_running)
        QCoreApplication::exit(status);
}

int ListMode::conclude(int status)
{
    // Planned devices that did not answer come last, and say so in the status.
    const QList<SiteRow> missing = status != Failed && m_tally ? missingStations() : QList<SiteRow>();
    if (!missing.isEmpty() && status < SignalBase)
        status = Missing;
    if (status != Failed && m_output.state() == DescriptorWriter::State::Open)
        printHeader();
    if (m_output.state() == DescriptorWriter::State::Open)
        writeEnd(status, missing);
    if (const qint64 dropped = m_controller.droppedCount(); dropped > 0) {
        printError(u"warning: the table was full at %1 replies: %2 more device replies were dropped, "
                   u"and the devices among them are not listed"_s.arg(DeviceRecord::MaxDevices).arg(dropped));
    }
    // A reader that went away ends the run quietly, as SIGPIPE's default
    // action would.
    if (m_output.state() == DescriptorWriter::State::ReaderGone)
        return SignalBase + SIGPIPE;
    if (m_output.state() == DescriptorWriter::State::Failed) {
        printError(m_output.errorString());
        return WriteFailed;
    }
    // A failed scan leaves the last listing in place, unless it is metrics.
    if (status == Failed && m_commandLine.format != CommandLine::Format::Prometheus)
        return status;
    if (!m_output.commit()) {
        printError(m_output.errorString());
        return WriteFailed;
    }
    // Also after a signal: like JSON, the report holds the devices that answered.
    if (status != Failed && m_tally && m_reportWriter && !m_commandLine.reportPath.isEmpty() && !writeReport())
        return WriteFailed;
    return status;
}

void ListMode::writeEnd(int status, const QList<SiteRow> &missing)
{
    switch (m_commandLine.format) {
    case CommandLine::Format::Json:
        if (status != Failed) {
            QList<DeviceRecord> records = m_devices.records().first(m_printedRows);
            for (const SiteRow &station : missing) {
                DeviceRecord record;
                record.fields = station.fields;
                records << record;
            }
            m_output.write(DeviceListing::json(records, m_compared + missing));
        }
        return;
    case CommandLine::Format::Prometheus:
        // Its failure is what the metrics must tell; a scan a signal cut
        // short failed too, or its missing stations would be false alarms.
        m_output.write(m_prometheus.text(m_devices, status != Failed && status < SignalBase,
                                         m_tally ? &*m_tally : nullptr, m_controller.droppedCount()));
        return;
    case CommandLine::Format::Text:
    case CommandLine::Format::Csv: {
        const bool text = m_commandLine.format == CommandLine::Format::Text;
        for (const SiteRow &station : missing) {
            const QStringList cells = SiteRows::exportCells(station, text);
            if (!m_output.write(text ? DeviceListing::textLine(cells) : DeviceExport::toCsv({cells}, false)))
                return;
        }
        return;
    }
    }
}

bool ListMode::writeReport() const
{
    QList<SiteRow> devices;
    for (qsizetype i = 0; i < m_printedRows; ++i)
        devices << SiteRows::ofDevice(i + 1, m_devices.at(i).fields);
    const QString &plan = m_commandLine.expectFile;
    const SiteReport report = SiteReport::build(
            SiteReport::Occasion::now(SiteReport::defaultSiteName(plan), plan, requestRoutes(m_endpoint)),
            m_tally->plan(), SiteRows::arrange(*m_tally, std::move(devices)));
    const QString error = m_reportWriter->write(report, m_commandLine.reportPath);
    if (!error.isEmpty())
        printError(u"--report %1: %2"_s.arg(m_commandLine.reportPath, error));
    return error.isEmpty();
}

void ListMode::reportFailure(const EndpointError &error)
{
    printError(failureMessage(error, QCoreApplication::applicationFilePath(), RetryBy::RunningAgain));
    m_failed = true;
    if (m_running)
        finish(Failed);
}

void ListMode::reportWarning(const EndpointError &error)
{
    printError(u"warning: "_s + warningMessage(error));
}
