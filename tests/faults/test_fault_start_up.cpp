// The finder (its window with the default endpoint settings) starting in a
// lab that is not ready for it: the network is not there, or another process
// holds port 1010. The failure is reported, the window stays, and once the
// cause is gone a Refresh finds the three simulated devices.
#include "tests/faults/fault_lab.h"
#include "tests/lab/lab_environment.h"
#include "finder/window/main_window.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace fault_lab;

constexpr int LabTimeoutMs = 10000;
// The report is queued as the window is created; a failed wait is retried
// at twice this before it is reported, so it is kept short.
constexpr int ReportTimeoutMs = 3000;

class TestFaultStartUp : public QObject
{
    Q_OBJECT

    QString m_finderInterface;
    QString m_deviceInterface;

    void expectRefreshFindsDevices(MainWindow &window, int requestsBefore)
    {
        QTest::mouseClick(refreshButton(window), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(countLabel(window)->text(), " 3 device found", LabTimeoutMs);
        QCOMPARE(table(window)->rowCount(), 3);
        QVERIFY(settleRequests());
        QCOMPARE(requestsSeen(), requestsBefore + 1);
        QVERIFY(!visibleFailure(window));
    }

private slots:
    void initTestCase()
    {
        if (!lab::inLab())
            QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
        m_finderInterface = finderInterface();
        m_deviceInterface = deviceInterface();
        QVERIFY(!m_finderInterface.isEmpty());
        QVERIFY(!m_deviceInterface.isEmpty());
        QVERIFY(hasAnyRoute());
    }

    void cleanup()
    {
        // The lab as netlab.sh built it, whatever a failed case left behind.
        deviceIp("link set " + m_deviceInterface + " up");
        ip("link set " + m_finderInterface + " up");
        QVERIFY(waitForCarrier(m_finderInterface, true, LabTimeoutMs));
        ip("route replace default dev " + m_finderInterface);
    }

    void sendWithoutRouteIsReported_data()
    {
        QTest::addColumn<bool>("interfaceDown");
        // Taking the interface down takes every route through it with it.
        QTest::newRow("interface down") << true;
        // A cable pulled on a segment without a default route: the interface is
        // up but not running, so the broadcast has no way out.
        QTest::newRow("no carrier, no default route") << false;
    }

    void sendWithoutRouteIsReported()
    {
        QFETCH(bool, interfaceDown);
        QVERIFY(settleRequests());
        const int requestsBefore = requestsSeen();
        if (interfaceDown) {
            QVERIFY(ip("link set " + m_finderInterface + " down"));
            QVERIFY(!hasAnyRoute());
        } else {
            QVERIFY(ip("route del default"));
            QVERIFY(deviceIp("link set " + m_deviceInterface + " down"));
            QVERIFY(waitForCarrier(m_finderInterface, false, LabTimeoutMs));
        }

        MainWindow window;
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

    void portHeldByAnotherProcessIsReported()
    {
        QTemporaryDir dir;
        const QString ready = dir.filePath("holder.ready");
        QProcess holder;
        holder.start(qEnvironmentVariable("VELTRIN_SIM"),
                     {"--port", "1010", "--ready-file", ready, "--exit-with-parent", "--quiet"});
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(ready) || holder.state() == QProcess::NotRunning; },
                                LabTimeoutMs));
        QVERIFY2(QFile::exists(ready), holder.readAllStandardError().constData());
        QVERIFY(settleRequests());
        const int requestsBefore = requestsSeen();

        MainWindow window;
        window.show();
        QMessageBox *box = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((box = visibleFailure(window)), ReportTimeoutMs);
        QVERIFY2(box->text().contains("Another program holds UDP port 1010"), qPrintable(box->text()));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(window.isVisible());
        QCOMPARE(table(window)->rowCount(), 0);
        QVERIFY(settleRequests());
        QCOMPARE(requestsSeen(), requestsBefore);

        holder.terminate();
        QVERIFY(holder.waitForFinished(LabTimeoutMs));
        box->accept();
        expectRefreshFindsDevices(window, requestsBefore);
    }
};

QTEST_MAIN(TestFaultStartUp)
#include "test_fault_start_up.moc"
