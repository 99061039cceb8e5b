#include "discovery/datagram_text.h"
#include "discovery/discovery_messages.h"

#include <QTest>

using Positions = QList<int>;

class TestDiscoveryMessages : public QObject
{
    Q_OBJECT

private slots:
    void request()
    {
        QCOMPARE(buildRequest(), QStringLiteral("hip/1.0\nrequest: echo"));
        QCOMPARE(encodeDatagram(buildRequest()), QByteArray("hip/1.0\nrequest: echo"));
        QCOMPARE(encodeDatagram(buildRequest()).size(), 21);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<Positions>("positions");
        QTest::addColumn<QStringList>("values");   // mac, sw version, serial, description

        QTest::newRow("all five keys in order")
                << "mac-address: 00-11-22-33-44-55\nsw-version: 1.0.2\nserial-number: ABC-17\ndisplay: 1\ndescription: Gate"
                << true << Positions{1, 32, 50, 72, 83}
                << QStringList{"00-11-22-33-44-55\n", "1.0.2\n", "ABC-17\n", "Gate"};
        QTest::newRow("empty text") << QString() << false << Positions{0, 0, 0, 0, 0} << QStringList(4);
        QTest::newRow("empty mac") << "mac-address: sw-version: 2\nserial-number: 9\ndisplay: \ndescription: x"
                                   << true << Positions{1, 14, 28, 45, 55} << QStringList{"", "2\n", "9\n", "x"};
        QTest::newRow("upper-case key") << "MAC-address: 1\nsw-version: 2\nserial-number: 3\ndisplay: 4\ndescription: 5"
                                        << false << Positions{0, 16, 30, 47, 58} << QStringList(4);
        QTest::newRow("first occurrence only")
                << "mac-address: A mac-address: B sw-version: 2 serial-number: 3 display: 4 description: x mac-address: C"
                << true << Positions{1, 31, 45, 62, 73}
                << QStringList{"A mac-address: B ", "2 ", "3 ", "x mac-address: C"};
        QTest::newRow("missing description") << "mac-address: M\nsw-version: S\nserial-number: N\ndisplay: D"
                                             << true << Positions{1, 16, 30, 47, 0}
                                             << QStringList{"M\n", "S\n", "N\n", " M\nsw-version: S\nserial-number: N\ndisplay: D"};
        QTest::newRow("crlf stays at value ends")
                << "mac-address: M\r\nsw-version: S\r\nserial-number: N\r\ndisplay: D\r\ndescription: Door 1\r\n"
                << true << Positions{1, 17, 32, 50, 62} << QStringList{"M\r\n", "S\r\n", "N\r\n", "Door 1\r\n"};
        QTest::newRow("missing display: negative serial count")
                << "mac-address: M\nsw-version: S\nserial-number: N\ndescription: x"
                << true << Positions{1, 16, 30, 0, 47} << QStringList{"M\n", "S\n", "", "x"};
        QTest::newRow("keys out of order") << "sw-version: S mac-address: M serial-number: N display: D"
                                           << true << Positions{15, 1, 30, 47, 0}
                                           << QStringList{"", "S mac-address: M ", "N ", "S mac-address: M serial-number: N display: D"};
        QTest::newRow("mac key ends the text") << "mac-address: " << true << Positions{1, 0, 0, 0, 0}
                                               << QStringList{"", "", "", " "};

        // 32767 is the last position 16 bits hold; the value itself may run on.
        const QString head = QStringLiteral("mac-address: M\nsw-version: S\nserial-number: N\ndisplay: D\n");
        const QString padding(32766 - head.size(), u'.');
        QTest::newRow("key at 32767") << head + padding + QStringLiteral("description: ") + QString(40000, u'x')
                                      << true << Positions{1, 16, 30, 47, 32767}
                                      << QStringList{"M\n", "S\n", "N\n", QString(40000, u'x')};
        QTest::newRow("key at 32768") << head + padding + QStringLiteral(".description: x")
                                      << false << Positions{1, 16, 30, 47, 0} << QStringList(4);
    }

    void parse()
    {
        QFETCH(QString, text);
        const DeviceReply reply = parseReply(text);
        QTEST(reply.accepted, "accepted");
        QTEST((Positions{reply.macPos, reply.swVersionPos, reply.serialPos, reply.displayPos, reply.descriptionPos}),
              "positions");
        QTEST((QStringList{reply.macAddress, reply.swVersion, reply.serialNumber, reply.description}), "values");
    }
};

QTEST_APPLESS_MAIN(TestDiscoveryMessages)
#include "test_discovery_messages.moc"
