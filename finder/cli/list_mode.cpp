#include "list_mode.h"

#include "device_export.h"
#include "device_listing.h"
#include "failure_message.h"
#include "broadcast_interfaces.h"
#include "broadcast_plan.h"
#include "interface_choice.h"
#include "terminal_output.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cmath>

using namespace Qt::StringLiterals;

ListMode::ListMode(const CommandLine &commandLine, const DiscoveryEndpoint::Settings &settings, QObject *parent)
    : QObject(parent)
    , m_commandLine(commandLine)
    , m_endpoint(InterfaceChoice::withInterfaces(settings, commandLine.interfaceNames))
    , m_controller(*this, m_table, m_endpoint)
    , m_output(commandLine.outputPath)
{
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
        return Failed;
    }

    m_prometheus.start(BroadcastPlan::select(broadcastInterfaces(), m_commandLine.interfaceNames).interfaces);
    m_controller.start(m_commandLine.targets, m_commandLine.ratePerSecond);
    if (m_failed)
        return conclude(Failed);
    switch (m_commandLine.format) {
    case CommandLine::Format::Text:
        m_output.write(m_expected.isActive() ? DeviceListing::textLine(headerWithStatus())
                                             : DeviceListing::textHeader());
        break;
    case CommandLine::Format::Csv:
        m_output.write(m_expected.isActive() ? DeviceExport::toCsv({headerWithStatus()}, false)
                                             : DeviceExport::toCsv({}, true));
        break;
    case CommandLine::Format::Json:
    case CommandLine::Format::Prometheus:
        break;
    }
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
        if (m_commandLine.format == CommandLine::Format::Text)
            m_output.write(DeviceListing::textLine(row(m_printedRows)));
        else if (m_commandLine.format == CommandLine::Format::Csv)
            m_output.write(DeviceExport::toCsv({row(m_printedRows)}, false));
    }
}

void ListMode::startWaiting()
{
    m_waitTimer.start(static_cast<int>(std::lround(m_commandLine.waitSeconds * 1000)));
}

QStringList ListMode::headerWithStatus()
{
    return DeviceExport::headerLabels() << u"Status"_s;
}

void ListMode::finish(int status)
{
    m_waitTimer.stop();
    QCoreApplication::exit(conclude(status));
}

int ListMode::conclude(int status)
{
    const bool printedAsTheyCame = m_commandLine.format == CommandLine::Format::Text
            || m_commandLine.format == CommandLine::Format::Csv;
    // The other formats' rows meet the plan now, before it can tell which
    // planned devices are missing.
    QList<QStringList> rows;
    if (status != Failed && !printedAsTheyCame) {
        for (int r = 1; r <= m_printedRows; ++r)
            rows << row(r);
    }
    // Planned devices that did not answer come last, and say so in the status.
    QList<QStringList> missing;
    if (status != Failed && m_expected.isActive()) {
        for (QStringList cells : m_expected.missingRows())
            missing << (cells << SitePlan::statusName(SitePlan::Status::Missing));
        if (!missing.isEmpty())
            status = Missing;
    }
    switch (m_commandLine.format) {
    case CommandLine::Format::Json:
        if (status != Failed)
            m_output.write(DeviceListing::json(rows + missing));
        break;
    case CommandLine::Format::Prometheus:
        // Its failure is what the metrics must tell.
        m_output.write(m_prometheus.text(m_table, status != Failed, m_expected.isActive() ? &m_expected.plan() : nullptr));
        break;
    case CommandLine::Format::Text:
    case CommandLine::Format::Csv:
        for (const QStringList &cells : std::as_const(missing)) {
            m_output.write(m_commandLine.format == CommandLine::Format::Csv ? DeviceExport::toCsv({cells}, false)
                                                                            : DeviceListing::textLine(cells));
        }
        break;
    }
    // A failed scan leaves the last listing in place, unless it is metrics.
    if (status == Failed && m_commandLine.format != CommandLine::Format::Prometheus)
        return status;
    if (!m_output.commit()) {
        printError(m_output.errorString());
        return Failed;
    }
    return status;
}

void ListMode::reportFailure(const EndpointError &error)
{
    printError(failureMessage(error, QCoreApplication::applicationFilePath()));
    m_failed = true;
    if (m_running)
        finish(Failed);
}

void ListMode::reportWarning(const EndpointError &error)
{
    printError(u"warning: "_s + warningMessage(error));
}
