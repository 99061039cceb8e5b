#include "test_finder_loopback.h"

#include <QTest>

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
        QList<qsizetype> sizes;
        QStringList senders;
        connect(&endpoint, &DiscoveryEndpoint::dataArrival, this, [&](qint64 bytesTotal) {
            sizes.append(bytesTotal);
            received.append(endpoint.readDatagram());
            senders.append(endpoint.senderAddress());
        });

        QList<qsizetype> sentSizes;
        for (const QByteArray &payload : payloads) {
            QCOMPARE(devices.answer(payload), payload.size());
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
        LoopbackDevices devices;
        DiscoveryEndpoint endpoint(devices.finderSettings());
        QVERIFY(!endpoint.reopen());

        QStringList received;
        connect(&endpoint, &DiscoveryEndpoint::dataArrival, this, [&] {
            received.append(endpoint.readDatagram());
            if (received.size() == 1)
                QVERIFY(!endpoint.reopen());
        });

        // All queued before the first notification, so most have been read
        // ahead when the handler refreshes.
        for (int i = 0; i < 200; ++i)
            QCOMPARE(devices.answer(QByteArray::number(i)), 1 + (i > 9) + (i > 99));
        QTRY_COMPARE(received.size(), 1);
        QTest::qWait(50);
        QCOMPARE(received, QStringList{QStringLiteral("0")});

        // The new socket is read as the old one was.
        QCOMPARE(devices.answer("after"), 5);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received.last(), QStringLiteral("after"));
    }
};

QTEST_GUILESS_MAIN(TestDiscoveryEndpoint)
#include "test_discovery_endpoint.moc"
