#include "fault_lab.h"

#include "lab/lab_environment.h"

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

const QByteArray Request("hip/1.0\nrequest: echo");
constexpr int MacColumn = 3;

QString ipOutput(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString deviceNamespace()
{
    return qEnvironmentVariable("VELTRIN_LAB_DEVICE_NS_1");
}

} // namespace

bool ip(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("ip"), arguments) == 0;
}

bool deviceIp(const QStringList &arguments)
{
    return ip(QStringList{QStringLiteral("-n"), deviceNamespace()} + arguments);
}

QString finderInterface()
{
    const QHostAddress finder(lab::finderAddress(1));
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
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
    const QString links = ipOutput({QStringLiteral("-n"), deviceNamespace(), QStringLiteral("-o"),
                                    QStringLiteral("link"), QStringLiteral("show"), QStringLiteral("type"),
                                    QStringLiteral("veth")});
    return QRegularExpression(QStringLiteral("^\\d+: ([^@:]+)")).match(links).captured(1);
}

bool hasCarrier(const QString &interface)
{
    return ipOutput({QStringLiteral("-o"), QStringLiteral("link"), QStringLiteral("show"), interface})
            .contains(QLatin1String("LOWER_UP"));
}

bool waitForCarrier(const QString &interface, bool carrier, int timeoutMs)
{
    return QTest::qWaitFor([&] { return hasCarrier(interface) == carrier; }, timeoutMs);
}

bool hasAnyRoute()
{
    return !ipOutput({QStringLiteral("-4"), QStringLiteral("route"), QStringLiteral("show")}).trimmed().isEmpty();
}

int requestsSeen()
{
    const QString source = lab::finderAddress(1) + QStringLiteral(":1010");
    int count = 0;
    for (const lab::LogEntry &e : lab::readLog(lab::simLogs().constFirst())) {
        if (e.kind == QLatin1String("recv") && e.payload() == Request && e.field(QStringLiteral("src")) == source
            && e.field(QStringLiteral("dst")) == QLatin1String("255.255.255.255:8002"))
            ++count;
    }
    return count;
}

bool settleRequests()
{
    const QByteArray marker = lab::sendMarker(lab::deviceAddresses(1).constFirst());
    return QTest::qWaitFor([&] { return lab::logHasMarker(lab::simLogs().constFirst(), marker); }, 5000);
}

QMessageBox *visibleFailure(const QWidget &window)
{
    QMessageBox *box = window.findChild<QMessageBox *>();
    return box && box->isVisible() ? box : nullptr;
}

QLabel *countLabel(const QWidget &window)
{
    return window.findChild<QLabel *>(QStringLiteral("tFoundDevice"));
}

const QAbstractItemModel *table(const QWidget &window)
{
    return window.findChild<QTableView *>(QStringLiteral("MSFlexGrid1"))->model();
}

QAbstractButton *refreshButton(const QWidget &window)
{
    return window.findChild<QAbstractButton *>(QStringLiteral("cmdRefresh"));
}

int rowsInUse(const QAbstractItemModel &model)
{
    // The rows in use are one block from the top.
    int rows = 0;
    while (rows < model.rowCount() && !model.index(rows, MacColumn).data().toString().isEmpty())
        ++rows;
    return rows;
}

} // namespace fault_lab
