// Which interfaces carry the broadcast: one request per subnet, the others
// on it as stand-ins, and the choice of interfaces by name.
#include "discovery/broadcast_plan.h"

#include <QTest>

namespace {

Ipv4Subnet subnet(quint32 a, quint32 b, quint32 c, int prefix)
{
    return {a << 24 | b << 16 | c << 8, prefix};
}

BroadcastInterface interface(const char *name, int index, QList<Ipv4Subnet> subnets)
{
    return {QString::fromLatin1(name), index, std::move(subnets)};
}

QStringList names(const BroadcastPlan::Group &group)
{
    QStringList out;
    for (const BroadcastInterface &i : group)
        out << i.name;
    return out;
}

QList<QStringList> plan(const QList<BroadcastInterface> &interfaces)
{
    QList<QStringList> out;
    for (const BroadcastPlan::Group &group : BroadcastPlan::groupBySubnet(interfaces))
        out << names(group);
    return out;
}

} // namespace

class TestBroadcastPlan : public QObject
{
    Q_OBJECT

    const Ipv4Subnet lan = subnet(192, 168, 1, 24);
    const Ipv4Subnet lab = subnet(10, 77, 16, 20);
    const Ipv4Subnet vpn = subnet(10, 8, 0, 16);

private slots:
    void groupsBySubnet()
    {
        // Wired and Wi-Fi on one LAN share a request; other subnets keep theirs.
        QCOMPARE(plan({interface("eth0", 2, {lan}), interface("wlan0", 3, {lan}), interface("eth1", 4, {lab})}),
                 (QList<QStringList>{{"eth0", "wlan0"}, {"eth1"}}));
        // Same network address, other prefix: another subnet.
        QCOMPARE(plan({interface("eth0", 2, {lan}), interface("eth1", 3, {subnet(192, 168, 1, 25)})}),
                 (QList<QStringList>{{"eth0"}, {"eth1"}}));
        QCOMPARE(plan({}), QList<QStringList>{});
    }

    void interfaceWithMoreSubnetsLeads()
    {
        // Whatever the system's order, the one holding both subnets carries
        // the request for both, so neither gets it twice.
        QCOMPARE(plan({interface("wlan0", 3, {lan}), interface("eth0", 2, {lan, lab})}),
                 (QList<QStringList>{{"eth0", "wlan0"}}));
        // Overlapping but neither covering the other: each sends.
        QCOMPARE(plan({interface("eth0", 2, {lan, lab}), interface("tun0", 5, {lan, vpn})}),
                 (QList<QStringList>{{"eth0"}, {"tun0"}}));
    }

    void selectsByName()
    {
        const QList<BroadcastInterface> all{interface("eth0", 2, {lan}), interface("wlan0", 3, {lan}),
                                            interface("eth1", 4, {lab})};
        BroadcastPlan::Selection chosen = BroadcastPlan::select(all, {});
        QCOMPARE(chosen.interfaces.size(), 3);
        QVERIFY(chosen.unknownNames.isEmpty());

        chosen = BroadcastPlan::select(all, {"eth1", "wlan0", "eth1"});
        QCOMPARE(names(chosen.interfaces), (QStringList{"wlan0", "eth1"}));   // the system's order
        QVERIFY(chosen.unknownNames.isEmpty());

        chosen = BroadcastPlan::select(all, {"eth0", "wlan9", "ETH1", "wlan9"});
        QCOMPARE(names(chosen.interfaces), QStringList{"eth0"});
        QCOMPARE(chosen.unknownNames, (QStringList{"wlan9", "ETH1"}));
    }
};

QTEST_GUILESS_MAIN(TestBroadcastPlan)
#include "test_broadcast_plan.moc"
