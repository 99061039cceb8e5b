// Target addresses as users type them after --target or into "Query addresses…":
// what each form stands for, what is refused, and how a list adds up.
#include "discovery/target_addresses.h"

#include <QHostAddress>
#include <QTest>

namespace {

quint32 ip(const char *text)
{
    return QHostAddress(QString::fromLatin1(text)).toIPv4Address();
}

} // namespace

Q_DECLARE_METATYPE(TargetRange)

class TestTargetAddresses : public QObject
{
    Q_OBJECT

private slots:
    void validTarget_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<TargetRange>("range");
        QTest::newRow("address") << "10.5.0.7" << TargetRange{ip("10.5.0.7"), ip("10.5.0.7")};
        QTest::newRow("blanks around") << "  10.5.0.7\t" << TargetRange{ip("10.5.0.7"), ip("10.5.0.7")};
        QTest::newRow("/24: its hosts") << "10.5.0.0/24" << TargetRange{ip("10.5.0.1"), ip("10.5.0.254")};
        QTest::newRow("block by any address") << "10.5.0.77/24" << TargetRange{ip("10.5.0.1"), ip("10.5.0.254")};
        QTest::newRow("/30") << "10.5.0.4/30" << TargetRange{ip("10.5.0.5"), ip("10.5.0.6")};
        QTest::newRow("/31: both") << "10.5.0.4/31" << TargetRange{ip("10.5.0.4"), ip("10.5.0.5")};
        QTest::newRow("/32") << "10.5.0.4/32" << TargetRange{ip("10.5.0.4"), ip("10.5.0.4")};
        QTest::newRow("/16") << "172.16.9.9/16" << TargetRange{ip("172.16.0.1"), ip("172.16.255.254")};
        QTest::newRow("range") << "10.5.0.10-10.5.0.99" << TargetRange{ip("10.5.0.10"), ip("10.5.0.99")};
        QTest::newRow("range across octets") << "10.5.0.250-10.5.1.5" << TargetRange{ip("10.5.0.250"), ip("10.5.1.5")};
        QTest::newRow("one-address range") << "10.5.0.9-10.5.0.9" << TargetRange{ip("10.5.0.9"), ip("10.5.0.9")};
        QTest::newRow("top of the space") << "255.255.255.254-255.255.255.255"
                                          << TargetRange{0xfffffffeu, 0xffffffffu};
    }

    void validTarget()
    {
        QFETCH(QString, target);
        QFETCH(TargetRange, range);
        const std::optional<TargetRange> parsed = parseTargetRange(target);
        QVERIFY(parsed);
        QCOMPARE(*parsed, range);
    }

    void malformedTarget_data()
    {
        QTest::addColumn<QString>("target");
        for (const char *target : {"", "10.5.0", "10.5.0.7.1", "10.5.0.256", "10.5.0.-1", "10.5.0.07", "010.5.0.7",
                                 "10.5.0.7/", "10.5.0.7/33", "10.5.0.7/024", "10.5.0.7/2a", "/24", "10.5.0.7-",
                                 "-10.5.0.7", "10.5.0.99-10.5.0.10", "10.5.0.1-10.5.0.2-10.5.0.3",
                                 "10.5.0.0/24-10.5.1.0", "10.5. 0.7", "host.example", "::1", "10.5.0.7 x",
                                 "١٠.5.0.7"}) {
            QTest::newRow(target) << QString::fromUtf8(target);
        }
    }

    void malformedTarget()
    {
        QFETCH(QString, target);
        QVERIFY(!parseTargetRange(target));
    }

    void listsMergeAndCount()
    {
        // Overlapping and touching targets become one range: every address is asked once.
        const TargetList list = parseTargetAddresses({"10.5.0.0/24", "10.5.0.7", "10.5.0.200-10.5.1.10, 10.9.0.1",
                                                  "10.5.1.11"});
        QVERIFY2(list.error.isEmpty(), qPrintable(list.error));
        const QList<TargetRange> expected{{ip("10.5.0.1"), ip("10.5.1.11")}, {ip("10.9.0.1"), ip("10.9.0.1")}};
        QCOMPARE(list.ranges, expected);
        QCOMPARE(list.addressCount(), quint64(267 + 1));
    }

    void listErrors_data()
    {
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QString>("error");
        QTest::newRow("names the bad one") << QStringList{"10.5.0.1", "10.5.0.0/24,10.5.0.300"}
                                           << "Not an address, CIDR block or range: \"10.5.0.300\"";
        QTest::newRow("empty") << QStringList{" , "} << "Empty target address";
        QTest::newRow("one over") << QStringList{"10.0.0.0-10.1.0.0"}
                                  << "Too many target addresses: 65537, at most 65536 per query";
        QTest::newRow("over in sum") << QStringList{"10.0.0.0/16", "10.2.0.0/24", "10.3.0.0/24"}
                                     << "Too many target addresses: 66042, at most 65536 per query";
        QTest::newRow("half the space") << QStringList{"0.0.0.0/1"}
                                        << "Too many target addresses: 2147483646, at most 65536 per query";
        // Targets are hosts: each of these would list every device again or go out as multicast.
        QTest::newRow("broadcast") << QStringList{"10.5.0.1", " 255.255.255.255"}
                                   << "Not a host: \"255.255.255.255\" is or includes the broadcast address "
                                      "255.255.255.255, which the finder's own broadcast already uses";
        QTest::newRow("range to the top") << QStringList{"255.255.255.250-255.255.255.255"}
                                          << "Not a host: \"255.255.255.250-255.255.255.255\" is or includes the "
                                             "broadcast address 255.255.255.255, which the finder's own broadcast "
                                             "already uses";
        QTest::newRow("any") << QStringList{"0.0.0.0"} << "Not a host: \"0.0.0.0\" is or includes 0.0.0.0, which names no host";
        const QString multicast = "Not a host: \"%1\" is or includes multicast addresses (224.0.0.0/4), which "
                                  "reach groups, not one device";
        for (const char *target : {"224.0.0.1", "239.255.255.250", "223.255.255.254-224.0.0.0", "239.0.0.0/8"})
            QTest::newRow(target) << QStringList{target} << multicast.arg(target);
        QTest::newRow("everything") << QStringList{"0.0.0.0/0"} << multicast.arg("0.0.0.0/0");
        QTest::newRow("240/4") << QStringList{"10.5.0.1,240.0.0.1"}
                               << "Not a host: \"240.0.0.1\" is or includes reserved addresses (240.0.0.0/4), "
                                  "which no host has";
    }

    void listErrors()
    {
        QFETCH(QStringList, targets);
        QFETCH(QString, error);
        const TargetList list = parseTargetAddresses(targets);
        QCOMPARE(list.error, error);
        QVERIFY(list.ranges.isEmpty());
    }

    void subnetsTheBroadcastReachesAreLeftOut()
    {
        const TargetList list = parseTargetAddresses({"10.5.0.0/23", "10.7.0.1-10.7.0.9", "10.9.0.1"});
        const QList<Ipv4Subnet> reached{{ip("10.5.0.0"), 24}, {ip("10.7.0.4"), 31}, {ip("10.9.0.1"), 32},
                                        {ip("192.168.1.0"), 24}};
        const QList<TargetRange> left{{ip("10.5.1.0"), ip("10.5.1.254")},
                                      {ip("10.7.0.1"), ip("10.7.0.3")},
                                      {ip("10.7.0.6"), ip("10.7.0.9")}};
        QCOMPARE(list.without(reached).ranges, left);
        QVERIFY(list.without({{0, 0}}).isEmpty());
        QCOMPARE(list.without({}).ranges, list.ranges);
    }

    void limitItselfIsAllowed()
    {
        const TargetList list = parseTargetAddresses({"10.0.0.0-10.0.255.255"});
        QVERIFY(list.error.isEmpty());
        QCOMPARE(list.addressCount(), TargetList::MaxAddresses);
    }
};

QTEST_GUILESS_MAIN(TestTargetAddresses)
#include "test_target_addresses.moc"
