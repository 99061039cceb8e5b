#include "discovery_endpoint.h"

#include <QTest>
#include <QUdpSocket>

// Every endpoint here binds a free high port and talks to 127.0.0.1 only.
static quint16 freePort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

static DiscoveryEndpoint::Settings loopback(quint16 localPort, quint16 destinationPort = 9)
{
    DiscoveryEndpoint::Settings settings;
    settings.destinationHost = QHostAddress::LocalHost;
    settings.destinationPort = destinationPort;
    settings.localPort = localPort;
    settings.pauseMs = 1;
    settings.sendOnEveryInterface = false;
    return settings;
}

class TestDiscoveryEndpoint : public QObject
{
    Q_OBJECT

private slots:
    void reopenTwiceWithDefaultPauses()
    {
        DiscoveryEndpoint::Settings settings = loopback(freePort());
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
        const quint16 port = freePort();
        DiscoveryEndpoint first(loopback(port));
        QVERIFY(!first.reopen());

        DiscoveryEndpoint second(loopback(port));
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

    void sendIsOneDatagramFromTheLocalPort()
    {
        QUdpSocket device;
        QVERIFY(device.bind(QHostAddress::LocalHost, 0));
        const quint16 port = freePort();
        DiscoveryEndpoint endpoint(loopback(port, device.localPort()));
        QVERIFY(!endpoint.reopen());

        QVERIFY(!endpoint.send(QStringLiteral("hip/1.0\nrequest: echo")));
        QTRY_VERIFY(device.hasPendingDatagrams());
        const QNetworkDatagram request = device.receiveDatagram();
        QCOMPARE(request.data(), QByteArray("hip/1.0\nrequest: echo"));
        QCOMPARE(request.senderPort(), port);
        QVERIFY(!device.hasPendingDatagrams());
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
        QTest::newRow("empty and non-reply datagrams") << QList<QByteArray>{QByteArray(), QByteArray("hi\0", 3)}
                                                       << QStringList{QString(), QString::fromLatin1("hi\0", 3)};
        QTest::newRow("utf-8 description") << QList<QByteArray>{QByteArray("description: \xe9\x97\xa8\xe5\x8f\xa3")}
                                           << QStringList{QStringLiteral("description: 门口")};
        QTest::newRow("gb18030 description") << QList<QByteArray>{QByteArray("description: \xc3\xc5\xbf\xda")}
                                             << QStringList{QStringLiteral("description: 门口")};
    }

    void datagramsArriveWholeAndInOrder()
    {
        QFETCH(QList<QByteArray>, payloads);
        QFETCH(QStringList, texts);

        const quint16 port = freePort();
        DiscoveryEndpoint endpoint(loopback(port));
        QVERIFY(!endpoint.reopen());

        QStringList received;
        QList<qsizetype> sizes;
        QStringList senders;
        connect(&endpoint, &DiscoveryEndpoint::dataArrival, this, [&](qint64 bytesTotal) {
            sizes.append(bytesTotal);
            received.append(endpoint.readDatagram());
            senders.append(endpoint.senderAddress());
        });

        QUdpSocket device;
        QList<qsizetype> sentSizes;
        for (const QByteArray &payload : payloads) {
            QCOMPARE(device.writeDatagram(payload, QHostAddress::LocalHost, port), payload.size());
            sentSizes.append(payload.size());
        }

        QTRY_COMPARE(received.size(), texts.size());
        QCOMPARE(received, texts);
        QCOMPARE(sizes, sentSizes);
        QCOMPARE(senders, QStringList(texts.size(), QStringLiteral("127.0.0.1")));
        QTest::qWait(50);   // and nothing is delivered twice
        QCOMPARE(received.size(), texts.size());
    }

    void refreshInAHandlerDropsWhatTheOldSocketHeld()
    {
        const quint16 port = freePort();
        DiscoveryEndpoint endpoint(loopback(port));
        QVERIFY(!endpoint.reopen());

        QStringList received;
        connect(&endpoint, &DiscoveryEndpoint::dataArrival, this, [&] {
            received.append(endpoint.readDatagram());
            if (received.size() == 1)
                QVERIFY(!endpoint.reopen());
        });

        // All queued before the first notification, so most have been read
        // ahead when the handler refreshes.
        QUdpSocket device;
        for (int i = 0; i < 200; ++i)
            QCOMPARE(device.writeDatagram(QByteArray::number(i), QHostAddress::LocalHost, port), 1 + (i > 9) + (i > 99));
        QTRY_COMPARE(received.size(), 1);
        QTest::qWait(50);
        QCOMPARE(received, QStringList{QStringLiteral("0")});

        // The new socket is read as the old one was.
        QCOMPARE(device.writeDatagram("after", QHostAddress::LocalHost, port), 5);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received.last(), QStringLiteral("after"));
    }
};

QTEST_GUILESS_MAIN(TestDiscoveryEndpoint)
#include "test_discovery_endpoint.moc"
