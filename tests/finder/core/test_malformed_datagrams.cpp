// Hostile datagrams through the real endpoint and controller, on loopback:
// the finder must neither crash nor fill a row for anything but an accepted
// reply with a MAC address and a serial number, and must hand the text on as
// text.

#include "discovery/datagram_text.h"
#include "tests/support/test_finder_fixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

static QByteArray reply(const QByteArray &mac, const QByteArray &description)
{
    return "mac-address: " + mac + "\nsw-version: 1.0.2\nserial-number: 12\ndisplay: 1\ndescription: "
           + description;
}

class TestMalformedDatagrams : public QObject
{
    Q_OBJECT

private slots:
    void datagram_data()
    {
        QTest::addColumn<QByteArray>("payload");
        // The MAC cell of the row the datagram fills; null when it fills none.
        QTest::addColumn<QString>("macCell");
        // The description cell, where the decoding matters; null: not checked.
        QTest::addColumn<QString>("descriptionCell");

        const QByteArray far(32768, 'x');
        // The largest IPv4 UDP payload; the description is the filler.
        const QByteArray head = reply("00-11-22-33-44-55", QByteArray());
        const QByteArray largest = head + QByteArray(65507 - head.size(), 'x');

        QTest::newRow("empty") << QByteArray() << QString() << QString();
        // Cells keep a bounded prefix; the reply pane, checked for every row, the whole text.
        const QString shortened = QString(256, u'x') + QChar(0x2026);
        QTest::newRow("65507 bytes") << largest << "00-11-22-33-44-55\n" << shortened;
        // Keys before character 32767, values as long as the datagram allows.
        QTest::newRow("every field oversize")
                << reply(QByteArray(10000, 'A'), QByteArray(30000, 'x')).replace("1.0.2", QByteArray(10000, '9'))
                << QString(256, u'A') + QChar(0x2026) << shortened;
        // Bidi overrides, isolates, zero-width characters and a BOM are kept
        // as they came; only drawing shows them.
        QTest::newRow("bidi and invisible characters")
                << reply("\xe2\x80\xae" "55-44-33-22-11-00", "\xe2\x81\xa6" "Gate\xe2\x80\x8b\xe2\x80\x8d\xef\xbb\xbf")
                << u"\u202e55-44-33-22-11-00\n"_s << u"\u2066Gate\u200b\u200d\ufeff"_s;
        QTest::newRow("C1 controls") << reply("\xc2\x85\xc2\x9b" "00", "\xc2\x9b" "31m") << u"\u0085\u009b00\n"_s
                                     << u"\u009b31m"_s;
        QTest::newRow("NUL and control bytes") << reply("0\0\1\x7f"_ba, "a\0b"_ba)
                                               << QString::fromLatin1("0\0\1\x7f\n"_ba) << QString::fromLatin1("a\0b"_ba);
        QTest::newRow("binary, no key") << "\x80\x81\xfe\xff\0\x01mac-address\xc0"_ba << QString() << QString();
        QTest::newRow("GB18030 description") << reply("aa", "\xc3\xc5\xbf\xda\xbb\xfa") << "aa\n" << u"门口机"_s;
        QTest::newRow("UTF-8 description") << reply("aa", "\xe9\x97\xa8") << "aa\n" << u"门"_s;
        QTest::newRow("truncated UTF-8 around keys") << "\xe9\x97" + reply("bb", "\xe9") << "bb\n" << QString();
        QTest::newRow("lone GB18030 lead byte") << reply("cc", "\x81") << "cc\n" << QString();
        // As in any double-byte code page, a lead byte takes the next byte along.
        QTest::newRow("lead byte eats the key's first letter") << "\x81" + reply("dd", "d") << QString() << QString();
        QTest::newRow("keys reversed") << "description: d\ndisplay: 1\nserial-number: s\nsw-version: v\nmac-address: m"_ba
                                       << QString() << QString();
        // The serial number's count runs backwards: no serial, no device.
        QTest::newRow("mac first, rest reversed")
                << "mac-address: m\ndescription: d\ndisplay: 1\nserial-number: s\nsw-version: v"_ba
                << QString() << QString();
        QTest::newRow("mac of a line break") << reply("", "hidden") << QString() << QString();
        QTest::newRow("mac of white space and controls") << reply("\t\x01 \x1b\r", "d") << QString() << QString();
        QTest::newRow("only the mac key") << "mac-address: 00-11-22-33-44-55"_ba << QString() << QString();
        QTest::newRow("sw-version missing") << "mac-address: m\nserial-number: 1\ndisplay: 1\ndescription: d"_ba
                                            << QString() << QString();
        QTest::newRow("keys repeated") << "mac-address: a\nmac-address: b\nsw-version: 1\nsw-version: 2\n"
                                          "serial-number: 3\ndisplay: 4\ndescription: mac-address: c"_ba
                                       << "a\nmac-address: b\n" << "mac-address: c";
        QTest::newRow("keys upper-case") << "MAC-ADDRESS: 1\nSW-VERSION: 1\nSERIAL-NUMBER: 1\nDISPLAY: 1\nDESCRIPTION: 1"_ba
                                         << QString() << QString();
        QTest::newRow("mac key past 32767") << far + reply("aa", "d") << QString() << QString();
        QTest::newRow("description key past 32767")
                << "mac-address: aa\nsw-version: 1\nserial-number: 2\ndisplay: 3\n" + far + "description: d"
                << QString() << QString();
        QTest::newRow("image markup") << reply("aa", "<img src=\"http://127.0.0.1/x.png\" onerror=x>") << "aa\n"
                                      << "<img src=\"http://127.0.0.1/x.png\" onerror=x>";
        QTest::newRow("another finder's request") << QByteArray("hip/1.0\nrequest: echo") << QString() << QString();
    }

    void datagram()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, macCell);
        QFETCH(QString, descriptionCell);
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        Finder finder(devices.finderSettings());
        finder.controller.start();
        QVERIFY(finder.view.failures.isEmpty());

        // One device first, so a wrong fill or a wrong count shows.
        devices.answer(reply("00-00-00-00-00-01", "first"));
        QTRY_COMPARE(finder.view.replies.size(), 1);
        const QStringList before = finder.cells();

        devices.answer(payload);
        QTRY_COMPARE(finder.view.replies.size(), 2);
        QCOMPARE(finder.view.replies.last(), decodeDatagram(payload));
        QCOMPARE(finder.controller.lastReply(), finder.view.replies.last());

        if (macCell.isNull()) {
            QCOMPARE(finder.cells(), before);
            QCOMPARE(finder.view.counts.last(), 1);
            return;
        }
        QCOMPARE(finder.table.tableRowCount(), 3);
        QCOMPARE(finder.cells().first(before.size()), before);
        QCOMPARE(finder.table.cellText(2, 0), "2");
        QCOMPARE(finder.table.cellText(2, DeviceTable::MacColumn), macCell);
        if (!descriptionCell.isNull())
            QCOMPARE(finder.table.cellText(2, 5), descriptionCell);
        QCOMPARE(finder.view.counts.last(), 2);
    }
};

QTEST_MAIN(TestMalformedDatagrams)
#include "test_malformed_datagrams.moc"
