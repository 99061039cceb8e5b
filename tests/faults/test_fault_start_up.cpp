// The finder (its window with the default endpoint settings) starting in a
// lab that is not ready for it: the network is not there, or another process
// holds port 1010. The failure is reported, the window stays, and once the
// cause is gone a Refresh finds the three simulated devices.
#include "faults/fault_lab.h"
#include "lab/lab_environment.h"
#include "main_window.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace fault_lab;

namespace {

constexpr int LabTimeoutMs = 10000;
// The report is queued as the window is created; a failed wait is retried
// at twice this before it is reported, so it is kept short.
constexpr int ReportTimeoutMs = 3000;

} // namespace

class TestFaultStartUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void sendWithoutRouteIsReported_data();
    void sendWithoutRouteIsReported();
    void portHeldByAnotherProcessIsReported();

private:
    void expectRefreshFindsDevices(VUDArido &window, int requestsBefore);

    QString m_finderInterface;
    QString m_deviceInterface;
};

void TestFaultStartUp::initTestCase()
{
    if (!lab::inLab())
        QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
    m_finderInterface = finderInterface();
    m_deviceInterface = deviceInterface();
    QVERIFY(!m_finderInterface.isEmpty());
    QVERIFY(!m_deviceInterface.isEmpty());
    QVERIFY(hasAnyRoute());
}

void TestFaultStartUp::cleanup()
{
    // The lab as netlab.sh built it, whatever a failed case left behind.
    deviceIp({QStringLiteral("link"), QStringLiteral("set"), m_deviceInterface, QStringLiteral("up")});
    ip({QStringLiteral("link"), QStringLiteral("set"), m_finderInterface, QStringLiteral("up")});
    QVERIFY(waitForCarrier(m_finderInterface, true, LabTimeoutMs));
    QProcess::execute(QStringLiteral("ip"), {QStringLiteral("route"), QStringLiteral("replace"),
                                             QStringLiteral("default"), QStringLiteral("dev"), m_finderInterface});
}

void TestFaultStartUp::expectRefreshFindsDevices(VUDArido &window, int requestsBefore)
{
    QTest::mouseClick(refreshButton(window), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(countLabel(window)->text(), " 3 device found", LabTimeoutMs);
    QCOMPARE(table(window)->rowCount(), 3);
    QVERIFY(settleRequests());
    QCOMPARE(requestsSeen(), requestsBefore + 1);
    QVERIFY(!visibleFailure(window));
}

void TestFaultStartUp::sendWithoutRouteIsReported_data()
{
    QTest::addColumn<bool>("interfaceDown");
    // Taking the interface down takes every route through it with it.
    QTest::newRow("interface down") << true;
    // A cable pulled on a segment without a default route: the interface is
    // up but not running, so the broadcast has no way out.
    QTest::newRow("no carrier, no default route") << false;
}

void TestFaultStartUp::sendWithoutRouteIsReported()
{
    QFETCH(bool, interfaceDown);
    QVERIFY(settleRequests());
    const int requestsBefore = requestsSeen();
    if (interfaceDown) {
        QVERIFY(ip({QStringLiteral("link"), QStringLiteral("set"), m_finderInterface, QStringLiteral("down")}));
        QVERIFY(!hasAnyRoute());
    } else {
        QVERIFY(ip({QStringLiteral("route"), QStringLiteral("del"), QStringLiteral("default")}));
        QVERIFY(deviceIp({QStringLiteral("link"), QStringLiteral("set"), m_deviceInterface, QStringLiteral("down")}));
        QVERIFY(waitForCarrier(m_finderInterface, false, LabTimeoutMs));
    }

    VUDArido window;
    window.show();
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = visibleFailure(window)), ReportTimeoutMs);
    QVERIFY2(box->text().contains("255.255.255.255:8002"), qPrintable(box->text()));
    QVERIFY2(box->text().contains("unreachable", Qt::CaseInsensitive), qPrintable(box->text()));
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QVERIFY(window.isVisible());
    QCOMPARE(table(window)->headerData(1, Qt::Horizontal).toString().trimmed(), "IP Address");
    QCOMPARE(countLabel(window)->text(), QString());

    box->accept();
    cleanup();
    expectRefreshFindsDevices(window, requestsBefore);
}

void TestFaultStartUp::portHeldByAnotherProcessIsReported()
{
    QTemporaryDir dir;
    const QString ready = dir.filePath(QStringLiteral("holder.ready"));
    QProcess holder;
    holder.start(qEnvironmentVariable("VELTRIN_SIM"),
                 {QStringLiteral("--port"), QStringLiteral("1010"), QStringLiteral("--ready-file"), ready,
                  QStringLiteral("--exit-with-parent"), QStringLiteral("--quiet")});
    QVERIFY(QTest::qWaitFor([&] { return QFile::exists(ready) || holder.state() == QProcess::NotRunning; },
                            LabTimeoutMs));
    QVERIFY2(QFile::exists(ready), holder.readAllStandardError().constData());
    QVERIFY(settleRequests());
    const int requestsBefore = requestsSeen();

    VUDArido window;
    window.show();
    QMessageBox *box = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((box = visibleFailure(window)), ReportTimeoutMs);
    QVERIFY2(box->text().contains("UDP port 1010"), qPrintable(box->text()));
    QVERIFY(window.isVisible());
    QVERIFY(settleRequests());
    QCOMPARE(requestsSeen(), requestsBefore);

    holder.terminate();
    QVERIFY(holder.waitForFinished(LabTimeoutMs));
    box->accept();
    expectRefreshFindsDevices(window, requestsBefore);
}

QTEST_MAIN(TestFaultStartUp)
#include "test_fault_start_up.moc"
