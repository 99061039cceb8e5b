#include "finder/cli/list_mode.h"

#include "devicelist/device_export.h"
#include "devicelist/device_listing.h"
#include "finder/core/failure_message.h"
#include "discovery/broadcast_interfaces.h"
#include "discovery/broadcast_plan.h"
#include "finder/cli/interface_choice.h"
#include "finder/cli/terminal_output.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cmath>
#include <csignal>
#include <utility>

using namespace Qt::StringLiterals;

ListMode::ListMode(const CommandLine &commandLine, const DiscoveryEndpoint::Settings &settings, QObject *parent)
    : QObject(parent)
    , m_commandLine(commandLine)
    , m_endpoint(InterfaceChoice::withInterfaces(settings, commandLine.interfaceNames))
    , m_controller(*this, m_table, m_endpoint)
    , m_output(commandLine.outputPath)
    , m_signals({SIGINT, SIGTERM})
{
    connect(&m_signals, &SignalWatcher::caught, this, [this](int number) { finish(SignalBase + number); });
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, [this] { finish(m_printedRows > 0 ? Found : NoneFound); });
    connect(&m_endpoint, &DiscoveryEndpoint::dataArrival, &m_controller, &FinderController::onDatagram);
    connect(&m_controller, &FinderController::sendingFinished, this, &ListMode::startWaiting);
}

int ListMode::exec()
{
    if (!InterfaceChoice::namesAreKnown(m_commandLine.interfaceNames))
        return Failed;
    if (!m_commandLine.expectFile.isEmpty() && !m_expected.load(m_commandLine.expectFile))
        return Failed;
    if (!m_output.open()) {
        printError(m_output.errorString());
        return WriteFailed;
    }

    m_prometheus.start(BroadcastPlan::select(broadcastInterfaces(), m_commandLine.interfaceNames).interfaces);
    m_controller.start(m_commandLine.targets, m_commandLine.ratePerSecond);
    if (m_failed)
        return conclude(Failed);
    // The header waits for the bind, which the helper may answer later: a
    // port that cannot be had prints nothing.
    m_running = true;
    return QCoreApplication::exec();
}

QStringList ListMode::row(int tableRow)
{
    QStringList cells;
    for (int column = 0; column < DeviceTable::ColumnCount; ++column)
        // The text table shows what the window shows; CSV and JSON carry
        // the identifiers as received, to be matched later.
        cells << (m_commandLine.format == CommandLine::Format::Text ? m_table.cellText(tableRow, column)
                                                                     : m_table.receivedText(tableRow, column));
    if (m_commandLine.format == CommandLine::Format::Text && m_table.replyOrigin(tableRow).otherSubnet)
        cells[DeviceTable::IpColumn] = DeviceListing::withOtherSubnetMark(cells[DeviceTable::IpColumn]);
    if (m_expected.isActive())
        cells << m_expected.statusOfRow(m_table, tableRow);
    return cells;
}

void ListMode::datagramHandled(const QString &text, int foundCount)
{
    Q_UNUSED(text);
    Q_UNUSED(foundCount);
    // Rows fill from the top, so the new ones follow those printed.
    // Model row m_printedRows is table row m_printedRows + 1, the next to print.
    while (DeviceTable::isInUse(m_table.index(m_printedRows, 0))) {
        ++m_printedRows;
        if (!printHeader())
            return;
        if (m_commandLine.format == CommandLine::Format::Text && !print(DeviceListing::textLine(row(m_printedRows))))
            return;
        if (m_commandLine.format == CommandLine::Format::Csv && !print(DeviceExport::toCsv({row(m_printedRows)}, false)))
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
        return print(m_expected.isActive() ? DeviceListing::textLine(headerWithStatus()) : DeviceListing::textHeader());
    if (m_commandLine.format == CommandLine::Format::Csv)
        return print(m_expected.isActive() ? DeviceExport::toCsv({headerWithStatus()}, false)
                                           : DeviceExport::toCsv({}, true));
    return true;
}

QStringList ListMode::headerWithStatus()
{
    return DeviceExport::headerLabels() << u"Status"_s;
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
    const bool printedAsTheyCame = m_commandLine.format == CommandLine::Format::Text
            || m_commandLine.format == CommandLine::Format::Csv;
    // The other formats' rows meet the plan now, before it can tell which
    // planned devices are missing.
    QList<QStringList> rows;
    QList<DeviceTable::ReplyOrigin> origins;
    if (status != Failed && !printedAsTheyCame) {
        for (int r = 1; r <= m_printedRows; ++r) {
            rows << row(r);
            origins << m_table.replyOrigin(r);
        }
    }
    // Planned devices that did not answer come last, and say so in the status.
    QList<QStringList> missing;
    if (status != Failed && m_expected.isActive()) {
        for (QStringList cells : m_expected.missingRows())
            missing << (cells << SitePlan::statusName(SitePlan::Status::Missing));
        if (!missing.isEmpty() && status < SignalBase)
            status = Missing;
    }
    if (status != Failed && m_output.state() == DescriptorWriter::State::Open)
        printHeader();
    if (m_output.state() == DescriptorWriter::State::Open) {
        switch (m_commandLine.format) {
        case CommandLine::Format::Json:
            if (status != Failed)
                m_output.write(DeviceListing::json(rows + missing, origins));
            break;
        case CommandLine::Format::Prometheus:
            // Its failure is what the metrics must tell.
            m_output.write(m_prometheus.text(m_table, status != Failed,
                                             m_expected.isActive() ? &m_expected.plan() : nullptr));
            break;
        case CommandLine::Format::Text:
        case CommandLine::Format::Csv:
            for (const QStringList &cells : std::as_const(missing)) {
                if (!m_output.write(m_commandLine.format == CommandLine::Format::Csv ? DeviceExport::toCsv({cells}, false)
                                                                                    : DeviceListing::textLine(cells)))
                    break;
            }
            break;
        }
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
    return status;
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
