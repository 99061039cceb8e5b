// The endpoint broadcasts from the lab's finder namespace with its default
// settings; veltrin-device-sim answers for every device on the one segment.
#include "discovery/discovery_endpoint.h"
#include "discovery/discovery_messages.h"
#include "tests/lab/lab_environment.h"

#include <QtTest>

namespace {

const QByteArray RequestOnWire("hip/1.0\nrequest: echo");

struct Arrival
{
    QString text;
    QString sender;
};

void verifyOk(const std::optional<EndpointError> &failure)
{
    QVERIFY2(!failure, failure ? qPrintable(failure->toString()) : "");
}

} // namespace

class TestLabRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!lab::inLab())
            QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
        QCOMPARE(lab::segments(), 1);
        QCOMPARE(lab::simLogs().size(), 1);
        QVERIFY(lab::deviceAddresses(1).size() >= 2);
    }

    void requestOnWireOncePerSend_data()
    {
        QTest::addColumn<int>("reopens");
        QTest::addColumn<int>("sendsPerReopen");
        QTest::newRow("one send") << 1 << 1;
        QTest::newRow("three sends") << 1 << 3;
        QTest::newRow("a send after each of two reopens") << 2 << 1;
    }

    void requestOnWireOncePerSend()
    {
        QFETCH(int, reopens);
        QFETCH(int, sendsPerReopen);
        const QString log = lab::simLogs().constFirst();
        const qsizetype before = lab::readLog(log).size();

        DiscoveryEndpoint endpoint;
        for (int r = 0; r < reopens; ++r) {
            verifyOk(endpoint.reopen());
            for (int s = 0; s < sendsPerReopen; ++s)
                verifyOk(endpoint.send(buildRequest()));
        }
        const auto received = lab::settledReceived(1, before);
        QVERIFY(received);
        for (const lab::LogEntry &e : *received) {
            QCOMPARE(e.payload(), RequestOnWire);
            QCOMPARE(e.field("src"), lab::finderAddress(1) + ":1010");
            QCOMPARE(e.field("dst"), QString("255.255.255.255:8002"));
        }
        QCOMPARE(received->size(), reopens * sendsPerReopen);
    }

    void everyDeviceAnswersWithItsOwnFields()
    {
        const QString log = lab::simLogs().constFirst();
        const QStringList devices = lab::deviceAddresses(1);
        const qsizetype before = lab::readLog(log).size();

        DiscoveryEndpoint endpoint;
        QList<Arrival> arrivals;
        connect(&endpoint, &DiscoveryEndpoint::datagramsArrived, this, [&](const QList<IncomingDatagram> &batch) {
            for (const IncomingDatagram &datagram : batch)
                arrivals.append({datagram.text, datagram.senderAddress});
        });
        verifyOk(endpoint.reopen());
        verifyOk(endpoint.send(buildRequest()));
        QTRY_COMPARE_WITH_TIMEOUT(arrivals.size(), devices.size(), 5000);

        QHash<QString, lab::LogEntry> sent;
        QTRY_COMPARE_WITH_TIMEOUT((sent = lab::sentByAddress(log, before)).size(), devices.size(), 5000);

        QStringList senders;
        QSet<QString> macs;
        for (const Arrival &a : std::as_const(arrivals)) {
            QVERIFY2(sent.contains(a.sender), qPrintable(a.sender));
            const lab::LogEntry &device = sent[a.sender];
            QCOMPARE(a.text.toUtf8(), device.payload());

            const DeviceReply reply = parseReply(a.text);
            QVERIFY(reply.accepted);
            QCOMPARE(reply.macAddress, device.field("mac") + '\n');
            QCOMPARE(reply.swVersion, device.field("sw") + '\n');
            QCOMPARE(reply.serialNumber, device.field("serial") + '\n');
            QCOMPARE(reply.description, device.field("description"));
            senders << a.sender;
            macs << reply.macAddress;
        }
        senders.sort();
        QStringList expected = devices;
        expected.sort();
        QCOMPARE(senders, expected);
        QCOMPARE(macs.size(), devices.size());
    }
};

QTEST_GUILESS_MAIN(TestLabRoundTrip)
#include "test_lab_round_trip.moc"
