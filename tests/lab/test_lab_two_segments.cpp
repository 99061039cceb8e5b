// The finder's namespace sits on two segments with its default route through
// the first only: one broadcast must still reach, and be answered from, both,
// and each answer is known by the link it came in on.
#include "discovery_endpoint.h"
#include "discovery_messages.h"
#include "lab_environment.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestLabTwoSegments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!lab::inLab())
            QSKIP("needs the network lab: run it through ctest or tools/netlab.sh run");
        QCOMPARE(lab::segments(), 2);
        QCOMPARE(lab::simLogs().size(), 2);
    }

    void oneBroadcastReachesBothSegments()
    {
        const QStringList logs = lab::simLogs();
        QList<qsizetype> before;
        QStringList devices;
        for (int s = 1; s <= 2; ++s) {
            before << lab::readLog(logs[s - 1]).size();
            // Segment s is the finder's veth vf<s>.
            for (const QString &device : lab::deviceAddresses(s))
                devices << device + u" on vf"_s + QString::number(s);
        }

        DiscoveryEndpoint endpoint;
        QStringList senders;
        connect(&endpoint, &DiscoveryEndpoint::dataArrival, this,
                [&] { senders << endpoint.senderAddress() + u" on "_s + endpoint.arrivalInterface(); });
        const auto reopened = endpoint.reopen();
        QVERIFY2(!reopened, reopened ? qPrintable(reopened->toString()) : "");
        const auto sent = endpoint.send(buildRequest());
        QVERIFY2(!sent, sent ? qPrintable(sent->toString()) : "");
        QTRY_COMPARE_WITH_TIMEOUT(senders.size(), devices.size(), 5000);
        senders.sort();
        devices.sort();
        QCOMPARE(senders, devices);

        // Each segment gets its own copy, exactly one, from the finder's
        // address on that segment so the devices can answer it.
        for (int s = 1; s <= 2; ++s) {
            const auto received = lab::settledReceived(s, before[s - 1]);
            QVERIFY(received);
            QStringList requests;
            for (const lab::LogEntry &e : *received)
                requests << e.field("src") + " -> " + e.field("dst");
            QCOMPARE(requests, QStringList{lab::finderAddress(s) + ":1010 -> 255.255.255.255:8002"});
        }
    }
};

QTEST_GUILESS_MAIN(TestLabTwoSegments)
#include "test_lab_two_segments.moc"
