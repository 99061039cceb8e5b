// The whole finder (window, controller, endpoint with its default settings:
// port 1010 to 255.255.255.255:8002) in the lab's finder namespace, answered
// by veltrin-device-sim playing three devices with serial 12345678901<n>.
#include "lab/lab_environment.h"
#include "main_window.h"

#include <QLabel>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

constexpr int LabTimeoutMs = 5000;

QString label(const QWidget &window)
{
    return window.findChild<QLabel *>("tFoundDevice")->text();
}

QString cell(const QWidget &window, int row, int column)
{
    return window.findChild<QTableView *>("MSFlexGrid1")->model()->index(row, column).data().toString();
}

int rows(const QWidget &window)
{
    return window.findChild<QTableView *>("MSFlexGrid1")->model()->rowCount();
}

void pressRefresh(const QWidget &window)
{
    QTest::mouseClick(window.findChild<QToolButton *>("cmdRefresh"), Qt::LeftButton);
}

int requestsLogged()
{
    int count = 0;
    for (const lab::LogEntry &e : lab::readLog(lab::simLogs().constFirst())) {
        count += e.kind == "recv" && e.payload() == "hip/1.0\nrequest: echo"
                 && e.field("src") == lab::finderAddress(1) + ":1010" && e.field("dst") == "255.255.255.255:8002";
    }
    return count;
}

} // namespace

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
        VUDArido window;
        window.show();
        QTRY_COMPARE_WITH_TIMEOUT(label(window), " 3 device found", LabTimeoutMs);
        QHash<QString, lab::LogEntry> sent;   // what each device sent, by address
        for (const lab::LogEntry &e : lab::readLog(lab::simLogs().constFirst())) {
            if (e.kind == "sent")
                sent.insert(e.field("src").section(':', 0, 0), e);
        }
        const QStringList devices = lab::deviceAddresses(1);
        QStringList ips;
        for (int row = 0; row < rows(window); ++row) {
            const QString ip = cell(window, row, 1);
            const lab::LogEntry device = sent.value(ip);
            ips << ip;
            QCOMPARE(cell(window, row, 0), QString::number(row + 1));
            QCOMPARE(cell(window, row, 2), QString("1234-5678-901%1").arg(devices.indexOf(ip) + 1));
            QCOMPARE(cell(window, row, 3), device.field("mac") + '\n');
            QCOMPARE(cell(window, row, 4), device.field("sw") + '\n');
            QCOMPARE(cell(window, row, 5), device.field("description"));
        }
        ips.sort();
        QCOMPARE(ips, devices);

        QTRY_COMPARE_WITH_TIMEOUT(requestsLogged(), 1, LabTimeoutMs);
        pressRefresh(window);   // runs the whole refresh before any reply is handled
        QCOMPARE(label(window), QString());
        QCOMPARE(rows(window), 3);
        for (int row = 0; row < 3; ++row)
            QVERIFY(cell(window, row, 3).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(requestsLogged(), 2, LabTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(label(window), " 3 device found", LabTimeoutMs);
    }

    void bindConflictIsReportedAndWindowSurvives()
    {
        auto holder = std::make_unique<VUDArido>();
        VUDArido window;
        window.show();
        QMessageBox *box = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((box = window.findChild<QMessageBox *>()) && box->isVisible(), LabTimeoutMs);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY2(box->text().contains("Another program holds UDP port 1010"), qPrintable(box->text()));
        QVERIFY(window.isVisible());
        QCOMPARE(rows(window), 0);

        box->accept();
        holder.reset();
        pressRefresh(window);
        QTRY_COMPARE_WITH_TIMEOUT(label(window), " 3 device found", LabTimeoutMs);
        QVERIFY(!window.findChild<QMessageBox *>() || !window.findChild<QMessageBox *>()->isVisible());
    }
};

QTEST_MAIN(TestFinderLabE2e)
#include "test_finder_lab_e2e.moc"
