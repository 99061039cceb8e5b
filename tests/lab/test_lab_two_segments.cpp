// The finder's namespace sits on two segments with its default route through
// the first only: one broadcast must still reach, and be answered from, both,
// and each answer is known by the link it came in on. The window, told to
// use one of them, asks through that one only.
#include "discovery/discovery_endpoint.h"
#include "discovery/discovery_messages.h"
#include "tests/lab/lab_environment.h"
#include "finder/window/main_window.h"

#include <QSettings>
#include <QTableView>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestLabTwoSegments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
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
        connect(&endpoint, &DiscoveryEndpoint::datagramsArrived, this, [&](const QList<IncomingDatagram> &batch) {
            for (const IncomingDatagram &datagram : batch)
                senders << datagram.senderAddress + u" on "_s + datagram.interfaceName;
        });
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

    // Interfaces kept from an earlier run: the window's first broadcast
    // leaves through the second segment's link only.
    void windowBroadcastsThroughChosenInterface()
    {
        QList<qsizetype> before;
        for (const QString &log : lab::simLogs())
            before << lab::readLog(log).size();
        QSettings().setValue(u"interfaces"_s, QStringList{u"vf2"_s});
        MainWindow window;
        QSettings().remove(u"interfaces"_s);
        QCOMPARE(window.endpoint().settings().interfaceNames, QStringList{u"vf2"_s});
        const QAbstractItemModel *table = window.findChild<QTableView *>(u"MSFlexGrid1"_s)->model();
        QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 5000);
        QCOMPARE(table->index(0, 1).data().toString().trimmed(), lab::deviceAddresses(2).value(0));

        const auto first = lab::settledReceived(1, before[0]);
        const auto second = lab::settledReceived(2, before[1]);
        QVERIFY(first && second);
        QCOMPARE(first->size(), 0);
        QCOMPARE(second->size(), 1);
        QCOMPARE(second->constFirst().field("src"), lab::finderAddress(2) + u":1010"_s);
        QCOMPARE(table->rowCount(), 1);
    }
};

QTEST_MAIN(TestLabTwoSegments)
#include "test_lab_two_segments.moc"
