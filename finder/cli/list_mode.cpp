#include "list_mode.h"

#include "broadcast_interfaces.h"
#include "broadcast_plan.h"
#include "device_export.h"
#include "device_listing.h"
#include "failure_message.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cerrno>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Straight to the descriptor, no stdio buffer: what has been printed is out
// when the user presses Ctrl+C.
void writeAll(int descriptor, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;   // a closed pipe or full disk: nothing better to do
        }
        data += written;
        left -= written;
    }
}

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
{
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
        printError(u"Unknown interface \"%1\". Usable interfaces: %2"_s.arg(
                selection.unknownNames.join(u"\", \""_s), usableInterfaceList()));
        return Failed;
    }

    m_controller.start(m_commandLine.targets, m_commandLine.ratePerSecond);
    if (m_failed)
        return Failed;
    switch (m_commandLine.format) {
    case CommandLine::Format::Text:
        writeAll(STDOUT_FILENO, DeviceListing::textHeader());
        break;
    case CommandLine::Format::Csv:
        writeAll(STDOUT_FILENO, DeviceExport::toCsv({}, true));
        break;
    case CommandLine::Format::Json:
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

void ListMode::datagramHandled(const QString &text, int foundCount)
{
    Q_UNUSED(text);
    Q_UNUSED(foundCount);
    // Rows fill from the top, so the new ones follow those printed.
    // Model row m_printedRows is table row m_printedRows + 1, the next to print.
    while (DeviceTable::isInUse(m_table.index(m_printedRows, 0))) {
        ++m_printedRows;
        if (m_commandLine.format == CommandLine::Format::Text)
            writeAll(STDOUT_FILENO, DeviceListing::textLine(row(m_printedRows)));
        else if (m_commandLine.format == CommandLine::Format::Csv)
            writeAll(STDOUT_FILENO, DeviceExport::toCsv({row(m_printedRows)}, false));
    }
}

void ListMode::startWaiting()
{
    m_waitTimer.start(static_cast<int>(std::lround(m_commandLine.waitSeconds * 1000)));
}

void ListMode::finish(int status)
{
    m_waitTimer.stop();
    if (status != Failed && m_commandLine.format == CommandLine::Format::Json) {
        QList<QStringList> rows;
        for (int r = 1; r <= m_printedRows; ++r)
            rows << row(r);
        writeAll(STDOUT_FILENO, DeviceListing::json(rows));
    }
    QCoreApplication::exit(status);
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
