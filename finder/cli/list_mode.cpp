#include "list_mode.h"

#include "broadcast_interfaces.h"
#include "broadcast_plan.h"
#include "device_export.h"
#include "device_listing.h"
#include "failure_message.h"

#include <QCoreApplication>
#include <QNetworkInterface>

#include <unistd.h>

#include <cmath>
#include <csignal>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

void printError(const QString &text)
{
    ListOutput(STDERR_FILENO).write((QCoreApplication::applicationName() + u": "_s + text + u'\n').toUtf8());
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

// A loopback interface exists but is never used, which "unknown" would hide.
QString unknownInterfaceError(const QStringList &names)
{
    for (const QString &name : names) {
        if (QNetworkInterface::interfaceFromName(name).flags().testFlag(QNetworkInterface::IsLoopBack)) {
            return u"\"%1\" is a loopback interface, which the broadcast never uses. Usable interfaces: %2"_s.arg(
                    name, usableInterfaceList());
        }
    }
    return u"Unknown interface \"%1\". Usable interfaces: %2"_s.arg(names.join(u"\", \""_s), usableInterfaceList());
}

} // namespace

ListMode::ListMode(const CommandLine &commandLine, const DiscoveryEndpoint::Settings &settings, QObject *parent)
    : QObject(parent)
    , m_commandLine(commandLine)
    , m_endpoint(withInterfaces(settings, commandLine.interfaceNames))
    , m_controller(*this, m_table, m_endpoint)
    , m_output(STDOUT_FILENO)
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
    // A name that matches nothing would quietly send nowhere.
    const BroadcastPlan::Selection selection =
            BroadcastPlan::select(broadcastInterfaces(), m_commandLine.interfaceNames);
    if (!selection.unknownNames.isEmpty()) {
        printError(unknownInterfaceError(selection.unknownNames));
        return Failed;
    }

    m_controller.start(m_commandLine.targets, m_commandLine.ratePerSecond);
    if (m_failed)
        return Failed;
    // The header waits for the bind, which the helper may answer later: a
    // port that cannot be had prints nothing.
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
        return print(DeviceListing::textHeader());
    if (m_commandLine.format == CommandLine::Format::Csv)
        return print(DeviceExport::toCsv({}, true));
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
    if (status != Failed && m_output.state() == ListOutput::State::Open)
        printHeader();
    if (status != Failed && m_output.state() == ListOutput::State::Open
        && m_commandLine.format == CommandLine::Format::Json) {
        QList<QStringList> rows;
        for (int r = 1; r <= m_printedRows; ++r)
            rows << row(r);
        m_output.write(DeviceListing::json(rows));
    }
    // A reader that went away ends the run quietly, as SIGPIPE's default
    // action would.
    if (m_output.state() == ListOutput::State::ReaderGone)
        status = SignalBase + SIGPIPE;
    if (m_output.state() == ListOutput::State::Failed) {
        printError(m_output.failure());
        status = WriteFailed;
    }
    if (m_running)
        QCoreApplication::exit(status);
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
