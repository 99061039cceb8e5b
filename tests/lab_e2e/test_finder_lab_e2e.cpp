// The whole finder (window, controller, endpoint with its default settings:
// port 1010 to 255.255.255.255:8002) in the lab's finder namespace, answered
// by veltrin-device-sim playing three devices with serial 12345678901<n>.
#include "tests/faults/fault_lab.h"
#include "tests/lab/lab_environment.h"
#include "finder/window/main_window.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QLabel>
#include <QTest>

using namespace fault_lab;

constexpr int LabTimeoutMs = 5000;

class TestFinderLabE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!lab::inLab())
            QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
        QCOMPARE(lab::deviceAddresses(1).size(), 3);
    }

    void devicesFillTheTableAndRefreshAsksAgain()
    {
        MainWindow window;
        window.show();
        const QAbstractItemModel &model = *table(window);
        const auto cell = [&](int row, int column) { return model.index(row, column).data().toString(); };
        QTRY_COMPARE_WITH_TIMEOUT(countLabel(window)->text(), " 3 device found", LabTimeoutMs);
        const QHash<QString, lab::LogEntry> sent = lab::sentByAddress(lab::simLogs().constFirst());
        const QStringList devices = lab::deviceAddresses(1);
        QStringList ips;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString ip = cell(row, 1);
            const lab::LogEntry device = sent.value(ip);
            ips << ip;
            QCOMPARE(cell(row, 0), QString::number(row + 1));
            QCOMPARE(cell(row, 2), QString("1234-5678-901%1").arg(devices.indexOf(ip) + 1));
            QCOMPARE(cell(row, 3), device.field("mac") + '\n');
            QCOMPARE(cell(row, 4), device.field("sw") + '\n');
            QCOMPARE(cell(row, 5), device.field("description"));
        }
        ips.sort();
        QCOMPARE(ips, devices);

        QTRY_COMPARE_WITH_TIMEOUT(requestsSeen(), 1, LabTimeoutMs);
        // The click runs the whole refresh before any reply is handled.
        QTest::mouseClick(refreshButton(window), Qt::LeftButton);
        QCOMPARE(countLabel(window)->text(), QString());
        QCOMPARE(model.rowCount(), 3);
        for (int row = 0; row < 3; ++row)
            QVERIFY(cell(row, 3).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(requestsSeen(), 2, LabTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(countLabel(window)->text(), " 3 device found", LabTimeoutMs);
    }
};

QTEST_MAIN(TestFinderLabE2e)
#include "test_finder_lab_e2e.moc"
