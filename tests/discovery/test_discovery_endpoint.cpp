#include "discovery/flood_policy.h"
#include "tests/support/test_finder_loopback.h"

#include <QDateTime>
#include <QTest>
#include <QUdpSocket>

#include <netinet/in.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Calls take(datagram) for every datagram handed over, in order; take
// returns false to leave the rest of its batch.
template<typename Take>
void onEachDatagram(DiscoveryEndpoint &endpoint, QObject *context, Take take)
{
    QObject::connect(&endpoint, &DiscoveryEndpoint::datagramsArrived, context,
                     [take](const QList<IncomingDatagram> &batch) {
                         for (const IncomingDatagram &datagram : batch) {
                             if (!take(datagram))
                                 return;
                         }
                     });
}

// The endpoint's socket, which sends and whose descriptor the reader reads.
int descriptorOf(const DiscoveryEndpoint &endpoint)
{
    const auto *const socket = endpoint.findChild<QUdpSocket *>();
    return socket ? int(socket->socketDescriptor()) : -1;
}

// Waits, without running the event loop, until the kernel holds nothing
// more for the socket: only the reader thread can have taken it.
bool kernelBufferEmptied(const DiscoveryEndpoint &endpoint)
{
    const QDeadlineTimer deadline(10000);
    for (;;) {
        int next = 0;
        if (::ioctl(descriptorOf(endpoint), FIONREAD, &next) == 0 && next == 0)
            return true;
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

// Every endpoint here binds a free high port and talks to 127.0.0.1 only.
class TestDiscoveryEndpoint : public QObject
{
    Q_OBJECT

private slots:
    void reopenTwiceWithDefaultPauses()
    {
        DiscoveryEndpoint::Settings settings = LoopbackDevices().finderSettings();
        settings.pauseMs = DiscoveryEndpoint::Settings{}.pauseMs;
        DiscoveryEndpoint endpoint(settings);
        for (int i = 0; i < 2; ++i) {
            const std::optional<EndpointError> error = endpoint.reopen();
            QVERIFY2(!error, error ? qPrintable(error->toString()) : "");
            QVERIFY(endpoint.isBound());
        }
    }

    void secondBindOnThePortFails()
    {
        const LoopbackDevices devices;
        const quint16 port = devices.finderPort;
        DiscoveryEndpoint first(devices.finderSettings());
        QVERIFY(!first.reopen());

        DiscoveryEndpoint second(devices.finderSettings());
        const std::optional<EndpointError> error = second.reopen();
        QVERIFY(error);
        QCOMPARE(error->operation, EndpointError::Operation::Bind);
        QCOMPARE(error->address, "0.0.0.0");
        QCOMPARE(error->port, port);
        QCOMPARE(error->code, QAbstractSocket::AddressInUseError);
        QVERIFY(!error->reason.isEmpty());
        QVERIFY(!second.isBound());

        // Nor may another program that asks to share the port get it.
        QUdpSocket sharer;
        QVERIFY(!sharer.bind(QHostAddress::AnyIPv4, port,
                             QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint));
    }

    void datagramsArriveWholeAndInOrder_data()
    {
        QTest::addColumn<QList<QByteArray>>("payloads");
        QTest::addColumn<QStringList>("texts");

        QList<QByteArray> flood;
        QStringList floodTexts;
        for (int i = 0; i < 1000; ++i) {
            flood.append(QByteArray::number(i));
            floodTexts.append(QString::number(i));
        }
        QTest::newRow("flood, more than one read batch") << flood << floodTexts;
        QTest::newRow("largest udp payload") << QList<QByteArray>{QByteArray(65507, 'z')}
                                             << QStringList{QString(65507, u'z')};
    }

    void datagramsArriveWholeAndInOrder()
    {
        QFETCH(QList<QByteArray>, payloads);
        QFETCH(QStringList, texts);

        LoopbackDevices devices;
        DiscoveryEndpoint endpoint(devices.finderSettings());
        QVERIFY(!endpoint.reopen());

        QStringList received;
        QList<qsizetype> batchSizes;
        QStringList senders;
        QStringList interfaces;
        QList<QDateTime> arrivals;
        const QDateTime before = QDateTime::currentDateTimeUtc();
        connect(&endpoint, &DiscoveryEndpoint::datagramsArrived, this, [&](const QList<IncomingDatagram> &batch) {
            batchSizes.append(batch.size());
            for (const IncomingDatagram &datagram : batch) {
                received.append(datagram.text);
                senders.append(datagram.senderAddress);
                interfaces.append(datagram.interfaceName);
                arrivals.append(datagram.arrivalTime);
                QCOMPARE(datagram.senderIPv4, quint32(0x7f000001));
                QVERIFY(datagram.senderOnArrivalSubnet);
            }
        });

        for (const QByteArray &payload : payloads)
            QCOMPARE(devices.answer(payload), payload.size());

        QTRY_COMPARE(received.size(), texts.size());
        QCOMPARE(received, texts);
        // Batches of one at least and LookEvery at most, each handed over once.
        QVERIFY(std::all_of(batchSizes.cbegin(), batchSizes.cend(),
                            [](qsizetype size) { return size >= 1 && size <= FloodPolicy::LookEvery; }));
        QVERIFY(batchSizes.size() >= (texts.size() + FloodPolicy::LookEvery - 1) / FloodPolicy::LookEvery);
        QCOMPARE(senders, QStringList(texts.size(), QStringLiteral("127.0.0.1")));
        QCOMPARE(interfaces, QStringList(texts.size(), QStringLiteral("lo")));
        QVERIFY(arrivals.constFirst() >= before.addMSecs(-1));
        QVERIFY(std::is_sorted(arrivals.cbegin(), arrivals.cend()));
        QVERIFY(arrivals.constLast() <= QDateTime::currentDateTimeUtc());
        QCOMPARE(arrivals.constFirst().timeSpec(), Qt::UTC);
        QTest::qWait(50);   // and nothing is delivered twice
        QCOMPARE(received.size(), texts.size());
    }

    // The window thread runs no event loop while far more than the kernel's
    // buffer can hold is sent; the reader takes it all, and every datagram
    // is then notified once, in order.
    void readerDrainsWhileTheWindowThreadIsBusy()
    {
        LoopbackDevices devices;
        DiscoveryEndpoint endpoint(devices.finderSettings());
        QVERIFY(!endpoint.reopen());
        QList<int> received;
        onEachDatagram(endpoint, this, [&](const IncomingDatagram &datagram) {
            received.append(datagram.text.section(u' ', 0, 0).toInt());
            return true;
        });

        // 12,000 datagrams of 1,000 bytes: several times 8 MiB in the kernel's accounting.
        constexpr int Chunks = 120;
        constexpr int PerChunk = 100;
        for (int chunk = 0; chunk < Chunks; ++chunk) {
            for (int i = 0; i < PerChunk; ++i) {
                const QByteArray payload = QByteArray::number(chunk * PerChunk + i).leftJustified(1000, ' ');
                QCOMPARE(devices.answer(payload), 1000);
            }
            QVERIFY2(kernelBufferEmptied(endpoint), qPrintable(QString::number(chunk)));
            QVERIFY(received.isEmpty());
        }
        QTRY_COMPARE(received.size(), Chunks * PerChunk);
        for (int i = 0; i < received.size(); ++i)
            QCOMPARE(received.at(i), i);
        QTest::qWait(50);
        QCOMPARE(received.size(), Chunks * PerChunk);
    }

    // What the reader holds when a Refresh comes is dropped with the old
    // socket, whether the Refresh comes between notifications or in one.
    void refreshDropsWhatTheReaderHeld()
    {
        LoopbackDevices devices;
        DiscoveryEndpoint endpoint(devices.finderSettings());
        QVERIFY(!endpoint.reopen());
        QStringList received;
        onEachDatagram(endpoint, this, [&](const IncomingDatagram &datagram) {
            received.append(datagram.text);
            return true;
        });

        for (int i = 0; i < 100; ++i)
            QVERIFY(devices.answer("old " + QByteArray::number(i)) > 0);
        QVERIFY(kernelBufferEmptied(endpoint));
        QVERIFY(!endpoint.reopen());
        QCOMPARE(devices.answer("new"), 3);
        QTRY_COMPARE(received, QStringList{QStringLiteral("new")});
        QTest::qWait(50);
        QCOMPARE(received, QStringList{QStringLiteral("new")});
    }

    void refreshInAHandlerDropsWhatTheOldSocketHeld()
    {
        LoopbackDevices devices;
        DiscoveryEndpoint endpoint(devices.finderSettings());
        QVERIFY(!endpoint.reopen());

        QStringList received;
        // The handler leaves the rest of its batch, which came from the old
        // socket; no later batch may hold any of it.
        bool reopenedInHandler = false;
        onEachDatagram(endpoint, this, [&](const IncomingDatagram &datagram) {
            received.append(datagram.text);
            if (received.size() > 1)
                return true;
            reopenedInHandler = !endpoint.reopen();
            return false;
        });

        // All with the reader before the first notification.
        for (int i = 0; i < 200; ++i)
            QCOMPARE(devices.answer(QByteArray::number(i)), 1 + (i > 9) + (i > 99));
        QVERIFY(kernelBufferEmptied(endpoint));
        QTRY_COMPARE(received.size(), 1);
        QVERIFY(reopenedInHandler);
        QTest::qWait(50);
        QCOMPARE(received, QStringList{QStringLiteral("0")});

        // The new socket is read as the old one was.
        QCOMPARE(devices.answer("after"), 5);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received.last(), QStringLiteral("after"));
    }

    // Bound to every address, IPv4 and IPv6: an IPv4 sender arrives mapped
    // (::ffff:127.0.0.1) and is shown as plain dotted IPv4.
    void sendersAsTheUserReadsThem()
    {
        LoopbackDevices devices;
        DiscoveryEndpoint::Settings settings = devices.finderSettings();
        settings.localAddress = QHostAddress::Any;
        DiscoveryEndpoint endpoint(settings);
        QVERIFY(!endpoint.reopen());
        QStringList senders;
        QStringList interfaces;
        onEachDatagram(endpoint, this, [&](const IncomingDatagram &datagram) {
            senders.append(datagram.senderAddress);
            interfaces.append(datagram.interfaceName);
            return true;
        });

        QCOMPARE(devices.answer("v4"), 2);
        QTRY_COMPARE(senders, QStringList{QStringLiteral("127.0.0.1")});
        QCOMPARE(interfaces, QStringList{QStringLiteral("lo")});
        QUdpSocket v6;
        if (!v6.bind(QHostAddress::LocalHostIPv6, 0))
            QSKIP("no IPv6 loopback here");
        QCOMPARE(v6.writeDatagram("v6", QHostAddress::LocalHostIPv6, devices.finderPort), 2);
        QTRY_COMPARE(senders, (QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("::1")}));
        QCOMPARE(interfaces, (QStringList{QStringLiteral("lo"), QStringLiteral("lo")}));
    }

    // Refreshes and the end of the endpoint while a sender floods it: none
    // of them may hang, and the sanitizer builds see nothing leak or race.
    // While the flood lasts, hand-over mostly waits for the reader, yet the
    // table must still fill.
    void refreshAndShutDownDuringAFlood()
    {
        LoopbackDevices devices;
        QUdpSocket sender;
        QVERIFY(sender.bind(QHostAddress::LocalHost, 0));
        const int descriptor = int(sender.socketDescriptor());
        struct Flood
        {
            std::atomic<bool> on = true;
            std::thread thread;
            ~Flood()
            {
                on = false;
                thread.join();
            }
        } flood;
        flood.thread = std::thread([&] {
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(devices.finderPort);
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            const char payload[] = "mac-address: 00-11-22-33-44-55";
            while (flood.on)
                ::sendto(descriptor, payload, sizeof payload - 1, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
        });

        int notified = 0;
        DiscoveryEndpoint endpoint(devices.finderSettings());
        onEachDatagram(endpoint, this, [&](const IncomingDatagram &) { return ++notified > 0; });
        for (int i = 0; i < 5; ++i) {
            QVERIFY(!endpoint.reopen());
            QTest::qWait(20);
        }
        QTRY_VERIFY(notified > 0);
        const int before = notified;
        QTRY_VERIFY(notified > before);
    }
};

QTEST_GUILESS_MAIN(TestDiscoveryEndpoint)
#include "test_discovery_endpoint.moc"
