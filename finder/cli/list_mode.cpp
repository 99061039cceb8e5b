#include "list_mode.h"

#include "broadcast_interfaces.h"
#include "broadcast_plan.h"
#include "device_export.h"
#include "device_listing.h"
#include "failure_message.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

void printError(const QString &text)
{
    writeAll(STDERR_FILENO, (QCoreApplication::applicationName() + u": "_s + text + u'\n').toUtf8());
}

DiscoveryEndpoint::Settings withInterfaces(DiscoveryEndpoint::Settings settings, const QStringList &names)
{
    settings.interfaceNames = names;
    return settings;
}

// Interfaces the broadcast can use, for the error about an unknown name.
QString usableInterfaceList()
{
    QStringList names;
    for (const BroadcastInterface &interface : broadcastInterfaces())
        names << interface.name;
    return names.isEmpty() ? u"none (no interface is up with an IPv4 address)"_s : names.join(u", "_s);
}

} // namespace

ListMode::ListMode(const CommandLine &commandLine, const DiscoveryEndpoint::Settings &settings, QObject *parent)
    : QObject(parent)
    , m_commandLine(commandLine)
    , m_endpoint(withInterfaces(settings, commandLine.interfaceNames))
    , m_controller(*this, m_table, m_endpoint)
    , m_output(commandLine.outputPath)
{
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, [this] { finish(m_printedRows > 0 ? Found : NoneFound); });
    // The controller fills the table first, then the new rows are printed.
    connect(&m_endpoint, &DiscoveryEndpoint::dataArrival, &m_controller, &FinderController::onDatagram);
    connect(&m_endpoint, &DiscoveryEndpoint::dataArrival, this, &ListMode::printNewRows);
    connect(&m_controller, &FinderController::sendingFinished, this, &ListMode::startWaiting);
}

int ListMode::exec()
{
    // A name that matches nothing would quietly send nowhere.
    const BroadcastPlan::Selection selection =
            BroadcastPlan::select(broadcastInterfaces(), m_commandLine.interfaceNames);
    if (!selection.unknownNames.isEmpty()) {
        printError(u"Unknown interface \"%1\". Usable interfaces: %2"_s.arg(
                selection.unknownNames.join(u"\", \""_s), usableInterfaceList()));
        return Failed;
    }
    if (!m_output.open()) {
        printError(m_output.errorString());
        return Failed;
    }

    m_prometheus.start(selection.interfaces);
    m_controller.start(m_commandLine.targets, m_commandLine.ratePerSecond);
    if (m_failed)
        return conclude(Failed);
    switch (m_commandLine.format) {
    case CommandLine::Format::Text:
        m_output.write(DeviceListing::textHeader());
        break;
    case CommandLine::Format::Csv:
        m_output.write(DeviceExport::toCsv({}, true));
        break;
    case CommandLine::Format::Json:
    case CommandLine::Format::Prometheus:
        break;
    }
    m_running = true;
    return QCoreApplication::exec();
}

QStringList ListMode::row(int tableRow) const
{
    QStringList cells;
    for (int column = 0; column < DeviceTable::ColumnCount; ++column)
        cells << m_table.cellText(tableRow, column);
    return cells;
}

void ListMode::printNewRows()
{
    // Rows fill from the top, so the new ones follow those printed.
    while (m_printedRows + 1 < m_table.tableRowCount()
           && !m_table.cellText(m_printedRows + 1, DeviceTable::MacColumn).isEmpty()) {
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

void ListMode::finish(int status)
{
    m_waitTimer.stop();
    QCoreApplication::exit(conclude(status));
}

int ListMode::conclude(int status)
{
    if (status != Failed && m_commandLine.format == CommandLine::Format::Json) {
        QList<QStringList> rows;
        for (int r = 1; r <= m_printedRows; ++r)
            rows << row(r);
        m_output.write(DeviceListing::json(rows));
    }
    // A failed scan leaves the last listing in place, unless the failure is
    // what the metrics must tell.
    if (m_commandLine.format == CommandLine::Format::Prometheus)
        m_output.write(m_prometheus.text(m_table, status != Failed));
    else if (status == Failed)
        return status;
    if (!m_output.commit()) {
        printError(m_output.errorString());
        return Failed;
    }
    return status;
}

void ListMode::setCountLabelText(const QString &text)
{
    Q_UNUSED(text);
}

void ListMode::setRequestPaneText(const QString &text)
{
    Q_UNUSED(text);
}

void ListMode::setReplyPaneText(const QString &text)
{
    Q_UNUSED(text);
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
