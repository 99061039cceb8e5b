#include "tests/faults/fault_lab.h"

#include "tests/lab/lab_environment.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

namespace fault_lab {
namespace {

QString ipOutput(const QString &arguments)
{
    QProcess process;
    process.start("ip", arguments.split(' '));
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString deviceNamespace()
{
    return qEnvironmentVariable("VELTRIN_LAB_DEVICE_NS_1");
}

} // namespace

bool ip(const QString &arguments)
{
    return QProcess::execute("ip", arguments.split(' ')) == 0;
}

bool deviceIp(const QString &arguments)
{
    return ip("-n " + deviceNamespace() + ' ' + arguments);
}

QString finderInterface()
{
    const QHostAddress finder(lab::finderAddress(1));
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip() == finder)
                return interface.name();
        }
    }
    return {};
}

QString deviceInterface()
{
    // "2: vd1@if3: <...": the device end of segment 1's veth pair.
    const QString links = ipOutput("-n " + deviceNamespace() + " -o link show type veth");
    return QRegularExpression("^\\d+: ([^@:]+)").match(links).captured(1);
}

bool waitForCarrier(const QString &interface, bool carrier, int timeoutMs)
{
    return QTest::qWaitFor([&] { return ipOutput("-o link show " + interface).contains("LOWER_UP") == carrier; },
                           timeoutMs);
}

bool hasAnyRoute()
{
    return !ipOutput("-4 route show").trimmed().isEmpty();
}

int requestsSeen()
{
    int count = 0;
    for (const lab::LogEntry &e : lab::readLog(lab::simLogs().constFirst())) {
        count += e.kind == "recv" && e.payload() == "hip/1.0\nrequest: echo"
                 && e.field("src") == lab::finderAddress(1) + ":1010" && e.field("dst") == "255.255.255.255:8002";
    }
    return count;
}

bool settleRequests()
{
    return lab::settledReceived(1).has_value();
}

QMessageBox *visibleFailure(const QWidget &window)
{
    QMessageBox *box = window.findChild<QMessageBox *>();
    return box && box->isVisible() ? box : nullptr;
}

QLabel *countLabel(const QWidget &window)
{
    return window.findChild<QLabel *>("tFoundDevice");
}

const QAbstractItemModel *table(const QWidget &window)
{
    return window.findChild<QTableView *>("MSFlexGrid1")->model();
}

QAbstractButton *refreshButton(const QWidget &window)
{
    return window.findChild<QAbstractButton *>("cmdRefresh");
}

int rowsInUse(const QAbstractItemModel &model)
{
    // The rows in use are one block from the top; column 3 holds the MAC.
    int rows = 0;
    while (rows < model.rowCount() && !model.index(rows, 3).data().toString().isEmpty())
        ++rows;
    return rows;
}

} // namespace fault_lab
