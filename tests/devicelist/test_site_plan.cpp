#include "devicelist/site_tally.h"

#include <QTest>

using Status = SitePlan::Status;
using namespace Qt::StringLiterals;

class TestSitePlan : public QObject
{
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("macs");       // the devices' MAC column, as written
        QTest::addColumn<QStringList>("serials");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("lines");

        // The finder's own save: byte order mark, CRLF, a quoted formula-like
        // serial and a description with a line break.
        QTest::newRow("own save")
                << QByteArray("\xEF\xBB\xBF#,IP Address,Serial Number,MAC Address,SW Version,Description\r\n"
                              "1,10.0.0.9,\"'-505-0378\",02-00-00-4D-10-0A,1.16.10,\"Gate, \"\"A\"\"\nEast\"\r\n"
                              "2,10.0.0.10,000005050379,02-00-00-4D-10-0B,1.16.10,Hall\r\n"
                              "3,10.0.0.10,000005050379,02-00-00-4D-10-0B,1.16.10,Hall\r\n")
                << QStringList{"02-00-00-4D-10-0A", "02-00-00-4D-10-0B"}
                << QStringList{"-505-0378", "000005050379"} << QStringList{"Gate, \"A\"\nEast", "Hall"}
                << QList<int>{2, 4};
        QTest::newRow("spellings, blank lines, LF")
                << QByteArray("\n Location ,S/N,mac_addr\n\n\"Flat 1;x\",1001,000c29aabbcc\n,,\nFlat 2,1002,\n")
                << QStringList{"000c29aabbcc", ""} << QStringList{"1001", "1002"}
                << QStringList{"Flat 1;x", "Flat 2"} << QList<int>{4, 6};
        QTest::newRow("IP alone") << QByteArray("ip\n10.0.0.1\n10.0.0.2") << QStringList{"", ""}
                                  << QStringList{"", ""} << QStringList{"", ""} << QList<int>{2, 3};
    }

    void parses()
    {
        QFETCH(QByteArray, csv);
        const SitePlan plan = SitePlan::parse(csv);
        QVERIFY2(plan.isValid(), qPrintable(plan.error()));
        QStringList macs, serials, names;
        QList<int> lines;
        for (const SitePlan::Device &device : plan.devices()) {
            macs << device.mac;
            serials << device.serial;
            names << device.name;
            lines << device.line;
        }
        QTEST(macs, "macs");
        QTEST(serials, "serials");
        QTEST(names, "names");
        QTEST(lines, "lines");
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("error");

        QTest::newRow("no usable column") << QByteArray("\nName,Room\nA,1\n")
                                          << "Line 2: no column is named MAC address";
        QTest::newRow("empty file") << QByteArray() << "Line 1: no column is named";
        QTest::newRow("duplicate MAC, other spelling")
                << QByteArray("MAC\n00-0c-29-aa-bb-cc\n00:0C:29:AA:BB:CD\n000C29AABBCC\n")
                << "Line 4: MAC address 000C29AABBCC is already on line 2.";
        QTest::newRow("duplicate serial") << QByteArray("Serial,IP\n7,10.0.0.1\n7,10.0.0.2\n")
                                          << "Line 3: serial number 7 is already on line 2.";
        QTest::newRow("row without identifier") << QByteArray("ip,name\n10.0.0.1,a\n,b\n")
                                                << "Line 3: no MAC address, serial number or IP address.";
        QTest::newRow("not UTF-8") << QByteArray("ip,name\n10.0.0.1,a\n10.0.0.2,Gr\xFC\xDF" "e\n")
                                   << "Line 3: the text is not UTF-8.";
        QTest::newRow("open quote") << QByteArray("ip,name\n10.0.0.1,\"a\n10.0.0.2,b\n")
                                    << "Line 2: a quoted field is not closed.";
        QByteArray big("ip\n");
        for (int i = 0; i < 200000; ++i)
            big += "10." + QByteArray::number(i >> 16) + '.' + QByteArray::number((i >> 8) & 255) + '.'
                    + QByteArray::number(i & 255) + '\n';
        QTest::newRow("200,000 lines") << big << "Line 32769: a plan can list at most 32,767 devices.";
    }

    void refuses()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, error);
        const SitePlan plan = SitePlan::parse(csv);
        QVERIFY(!plan.isValid());
        QVERIFY2(plan.error().startsWith(error), qPrintable(plan.error()));
        QVERIFY(plan.devices().isEmpty());
    }

    // Device by device: each station answers once, a device gone leaves
    // its station missing until it is back.
    void tallies()
    {
        const SitePlan plan = SitePlan::parse("Name,MAC,Serial,IP,Version\n"
                                              "by mac,00-0C-29-AA-BB-01,,10.0.0.1,1.0\n"
                                              "moved,00:0c:29:aa:bb:02,,10.0.0.2,\n"
                                              "by serial,,000005050378,,\n"
                                              "by ip,,,10.0.0.4,\n"
                                              "old firmware,000C29AABB05,,,1.0\n"
                                              "absent,000C29AABB06,,10.0.0.6,\n"
                                              "dotted,000c.29aa.bb07,,,\n");
        QVERIFY2(plan.isValid(), qPrintable(plan.error()));
        SiteTally tally(plan);
        const QList<DeviceRecord::Fields> received{
            {"10.0.0.1", "1", "000c29aabb01", "1.0"},
            {"10.0.0.22", "2", "00-0C-29-AA-BB-02", "1.0"},
            {"10.0.0.3", "000005050378", "02-00-00-00-00-03", "1.0"},
            {"10.0.0.4", "4", "02-00-00-00-00-04", "1.0"},
            {"10.0.0.5", "5", "00-0C-29-AA-BB-05", "2.0"},
            {"10.0.0.9", "9", "02-00-00-00-00-09", "1.0"},
            {"10.0.0.1", "1", "00-0C-29-AA-BB-01", "1.0"},   // the first device again
            {"10.0.0.4", "44", "02-00-00-00-00-44", "1.0"},  // planned IP already answered for
            {"10.0.0.7", "7", "00:0C:29:AA:BB:07", "1.0"},
        };
        QList<Status> statuses;
        QList<qsizetype> planned;
        QList<int> differences;
        for (const DeviceRecord::Fields &device : received) {
            const SiteTally::Verdict verdict = tally.add(device);
            statuses << verdict.status;
            planned << verdict.planned;
            differences << verdict.differences;
        }
        QCOMPARE(statuses, (QList<Status>{Status::Answered, Status::Differs, Status::Answered, Status::Answered,
                                          Status::Differs, Status::Unexpected, Status::Answered, Status::Unexpected,
                                          Status::Answered}));
        QCOMPARE(planned, (QList<qsizetype>{0, 1, 2, 3, 4, -1, 0, -1, 6}));
        QCOMPARE(differences, (QList<int>{0, SitePlan::IpDiffers, 0, 0, SitePlan::VersionDiffers, 0, 0, 0, 0}));
        QCOMPARE(tally.missing(), QList<qsizetype>{5});
        const auto summary = [&tally] {
            const SiteTally::Summary s = tally.summary();
            return QList<qsizetype>{s.planned, s.answered, s.missing, s.unexpected, s.differs};
        };
        QCOMPARE(summary(), (QList<qsizetype>{7, 6, 1, 2, 2}));

        // Gone: its station is missing; back with the planned IP: answered.
        QCOMPARE(tally.remove(received[1]).status, Status::Differs);
        QCOMPARE(tally.missing(), (QList<qsizetype>{1, 5}));
        QCOMPARE(summary(), (QList<qsizetype>{7, 5, 2, 2, 1}));
        DeviceRecord::Fields moved = received[1];
        moved[DeviceRecord::Ip] = u"10.0.0.2"_s;
        QCOMPARE(tally.add(moved).status, Status::Answered);
        QCOMPARE(tally.missing(), QList<qsizetype>{5});
        QVERIFY(tally.contains(received[1]));
        // Gone twice counts once; an unexpected device going leaves no station.
        QCOMPARE(tally.remove(received[5]).status, Status::Unexpected);
        QCOMPARE(tally.remove(received[5]).status, Status::Missing);
        QCOMPARE(summary(), (QList<qsizetype>{7, 6, 1, 1, 1}));
        QCOMPARE(SitePlan::statusName(Status::Differs), "differs");
    }
};

QTEST_APPLESS_MAIN(TestSitePlan)
#include "test_site_plan.moc"
