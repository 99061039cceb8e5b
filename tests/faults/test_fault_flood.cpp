// 100,000 mixed datagrams (replies, empty MACs, requests, bad keys, binary
// noise, large texts) flood a finder whose table is full: the table stays at
// its 32,767 rows, the count never wraps, memory does not grow, and a Refresh
// pressed during the flood still empties the table and sends the request.
#include "tests/faults/fault_lab.h"
#include "tests/lab/lab_environment.h"
#include "finder/window/main_window.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

#if defined(__SANITIZE_ADDRESS__)
#define VELTRIN_FLOOD_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELTRIN_FLOOD_ASAN 1
#endif
#endif

using namespace fault_lab;

constexpr int TableRows = 32767;
constexpr int FloodDatagrams = 100000;
// Paced so that a build without optimisation still takes most of it; what it
// cannot take the kernel drops, as it would on a real segment.
constexpr int FloodRate = 12500;
constexpr int FillRate = 15000;
constexpr int LabTimeoutMs = 30000;
// For QTRY, which waits twice as long again before it reports a failure.
constexpr int TryTimeoutMs = 10000;

// Heap and other private memory; fonts the text layout maps in are not
// counted, there are only so many of them.
qint64 anonymousResidentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).simplified().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Datagram k of a flood: half of them device replies, the rest what a busy
// segment also carries (empty MAC, other finders' requests, wrong-case keys,
// keys out of order, binary noise, large texts, some in IP fragments).
QByteArray floodDatagram(quint32 k)
{
    const QByteArray mac = QByteArray::number(0x02be0000u + k, 16).rightJustified(12, '0');
    const QByteArray reply = "mac-address: " + mac + "\nsw-version: 2.0.1\nserial-number: " + QByteArray::number(k)
            + "\ndisplay: 1\ndescription: Flood door phone " + QByteArray::number(k);
    switch (k % 10) {
    case 5:
        return "mac-address: sw-version: 1.0\nserial-number: 7\ndisplay: 1\ndescription: no MAC";
    case 6:
        return "hip/1.0\nrequest: echo";
    case 7:
        return k % 20 == 7 ? QByteArray(reply).replace("mac-address", "MAC-ADDRESS")
                           : "description: keys out of order\nmac-address: 02-00-00-00-00-01\nserial-number: 1\n"
                             "sw-version: 1\ndisplay: 1";
    case 8: {
        QByteArray noise(1 + k % 200, Qt::Uninitialized);   // every byte value, NUL and invalid UTF-8 included
        quint32 state = k * 2654435761u + 1;
        for (char &b : noise) {
            state = state * 1103515245u + 12345u;
            b = char(state >> 24);
        }
        return noise;
    }
    case 9:
        return ("status: busy\n" + QByteArray("lorem ipsum dolor sit amet ").repeated(300))
                .left(k % 100 == 9 ? 8000 : 1400);
    default:
        return reply;
    }
}

// The device simulator in the device namespace, speaking for the lab's devices.
class Sender
{
public:
    explicit Sender(const QString &arguments)
    {
        const QStringList devices = lab::deviceAddresses(1);
        m_process.start("ip", QStringList{"netns", "exec", qEnvironmentVariable("VELTRIN_LAB_DEVICE_NS_1"),
                                          qEnvironmentVariable("VELTRIN_SIM"), "send", "--quiet", "--to",
                                          lab::finderAddress(1) + ":1010", "--addresses",
                                          devices.constFirst() + '+' + QString::number(devices.size())}
                                      + arguments.split(' '));
    }
    ~Sender() { m_process.kill(); m_process.waitForFinished(); }

    bool running() const { return m_process.state() != QProcess::NotRunning; }
    bool finishedWell(int timeoutMs)
    {
        return QTest::qWaitFor([&] { return !running(); }, timeoutMs)
            && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    QByteArray errors() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
};

// The count the label shows, or -1 when it is not " N device found".
int shownCount(const QLabel &label)
{
    const QString text = label.text();
    if (!text.startsWith(' ') || !text.endsWith(" device found"))
        return -1;
    bool ok = false;
    const int n = text.mid(1, text.size() - 14).toInt(&ok);
    return ok ? n : -1;
}

// Waits until the label has not changed for a while: the finder has caught up.
bool waitForQuiet(const QLabel &label)
{
    QString last = label.text();
    QDeadlineTimer quiet(500);
    return QTest::qWaitFor(
            [&] {
                if (label.text() != last) {
                    last = label.text();
                    quiet.setRemainingTime(500);
                }
                return quiet.hasExpired();
            },
            LabTimeoutMs);
}

struct AtRefresh
{
    bool seen = false;
    bool floodRunning = false;
    int rowsInUse = -1;
    int rowCount = -1;
    QString label;
};

class TestFaultFlood : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!lab::inLab())
            QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
        QVERIFY2(QFile::exists(qEnvironmentVariable("VELTRIN_SIM")), "VELTRIN_SIM names no simulator");
        // A thousand kinds of datagram, sent in turn.
        QVERIFY(m_floodPayloads.open());
        for (quint32 k = 0; k < 1000; ++k)
            m_floodPayloads.write(floodDatagram(k).toHex() + '\n');
        QVERIFY(m_floodPayloads.flush());
    }

    void floodAgainstFullTable();

private:
    QTemporaryFile m_floodPayloads;
};

void TestFaultFlood::floodAgainstFullTable()
{
    MainWindow window;
    window.show();
    QLabel &label = *countLabel(window);
    const QAbstractItemModel &model = *table(window);
    QTRY_COMPARE_WITH_TIMEOUT(label.text(), " 3 device found", TryTimeoutMs);
    int mostRows = 0;
    connect(&model, &QAbstractItemModel::rowsInserted, this, [&] { mostRows = qMax(mostRows, model.rowCount()); });

    // Fill the table, topping up whatever the kernel dropped.
    for (int round = 0; round < 5 && rowsInUse(model) < TableRows; ++round) {
        Sender fill(QString("--burst %1 --rate %2").arg(TableRows - rowsInUse(model) + 1000).arg(FillRate));
        QVERIFY2(fill.finishedWell(LabTimeoutMs), fill.errors().constData());
        QVERIFY(waitForQuiet(label));
    }
    QCOMPARE(rowsInUse(model), TableRows);
    QCOMPARE(model.rowCount(), TableRows);
    QCOMPARE(shownCount(label), TableRows);
    const qint64 fullTableKiB = anonymousResidentKiB();
    QVERIFY(settleRequests());
    const int requestsBefore = requestsSeen();

    // Runs right after the window's own handler of the press.
    AtRefresh atRefresh;
    Sender flood(QString("--burst %1 --rate %2 --payloads %3")
                         .arg(FloodDatagrams).arg(FloodRate).arg(m_floodPayloads.fileName()));
    connect(refreshButton(window), &QAbstractButton::clicked, this, [&] {
        atRefresh = {true, flood.running(), rowsInUse(model), model.rowCount(), label.text()};
    });

    // A second into the flood its device replies meet a full table.
    QTest::qWait(1000);
    QVERIFY(flood.running());
    QCOMPARE(model.rowCount(), TableRows);
    QCOMPARE(shownCount(label), TableRows);

    // Queued as a real press is, behind whatever the flood has queued.
    QMetaObject::invokeMethod(refreshButton(window), &QAbstractButton::click, Qt::QueuedConnection);
    QTRY_VERIFY_WITH_TIMEOUT(atRefresh.seen, TryTimeoutMs);
    QVERIFY(atRefresh.floodRunning);
    QCOMPARE(atRefresh.rowsInUse, 0);
    QCOMPARE(atRefresh.rowCount, TableRows);
    QCOMPARE(atRefresh.label, QString());

    QVERIFY2(flood.finishedWell(LabTimeoutMs), flood.errors().constData());
    QVERIFY(waitForQuiet(label));
    QVERIFY(mostRows <= TableRows);
    QCOMPARE(model.rowCount(), TableRows);
    const int shown = shownCount(label);
    QVERIFY2(shown > 0 && shown <= TableRows, qPrintable(label.text()));
    QCOMPARE(rowsInUse(model), shown);
    QVERIFY(settleRequests());
    QCOMPARE(requestsSeen(), requestsBefore + 1);

#ifndef VELTRIN_FLOOD_ASAN
    // Caches may grow a little; keeping what the flood brought (100,000
    // datagrams of 20 bytes to 8 KB) would not fit in this.
    const qint64 grownKiB = anonymousResidentKiB() - fullTableKiB;
    QVERIFY2(grownKiB < 6 * 1024, qPrintable(QString("grew by %1 KiB").arg(grownKiB)));
#else
    Q_UNUSED(fullTableKiB);
#endif
}

QTEST_MAIN(TestFaultFlood)
#include "test_fault_flood.moc"
