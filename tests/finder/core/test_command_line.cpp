// What the command line turns into: the window, a listing with its options,
// or an error naming what is wrong (and then nothing is sent).
#include "finder/core/command_line.h"

#include <QTest>

namespace {

CommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("veltrin-finder"));
    return parseCommandLine(arguments);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void actions()
    {
        QCOMPARE(parse({}).action, CommandLine::Action::Window);
        QCOMPARE(parse({"--help"}).action, CommandLine::Action::Help);
        QCOMPARE(parse({"-h"}).action, CommandLine::Action::Help);
        QCOMPARE(parse({"--version"}).action, CommandLine::Action::Version);
        QCOMPARE(parse({"--list", "--help"}).action, CommandLine::Action::Help);

        const CommandLine list = parse({"--list"});
        QCOMPARE(list.action, CommandLine::Action::List);
        QCOMPARE(list.waitSeconds, 2.0);
        QCOMPARE(list.format, CommandLine::Format::Text);
        QCOMPARE(list.ratePerSecond, 2000.0);
        QVERIFY(list.targets.isEmpty());
        QVERIFY(list.interfaceNames.isEmpty());
        QVERIFY(list.outputPath.isEmpty());
    }

    void listOptions()
    {
        const CommandLine line = parse({"--list", "--wait", "0.25", "--json", "--target", "10.5.0.0/24",
                                        "--target=10.6.0.1-10.6.0.3", "--rate", "500", "--interface", "eth0",
                                        "--interface", "wlan0, wlan1,"});
        QCOMPARE(line.action, CommandLine::Action::List);
        QCOMPARE(line.waitSeconds, 0.25);
        QCOMPARE(line.format, CommandLine::Format::Json);
        QCOMPARE(line.targets.addressCount(), quint64(254 + 3));
        QCOMPARE(line.ratePerSecond, 500.0);
        QCOMPARE(line.interfaceNames, (QStringList{"eth0", "wlan0", "wlan1"}));
        QCOMPARE(parse({"--list", "--rate", "1"}).ratePerSecond, 1.0);
        QCOMPARE(parse({"--list", "--csv"}).format, CommandLine::Format::Csv);
        QCOMPARE(parse({"--list", "--wait", "0"}).waitSeconds, 0.0);
        const CommandLine metrics = parse({"--list", "--prometheus", "--output", "/var/lib/x/veltrin.prom"});
        QCOMPARE(metrics.format, CommandLine::Format::Prometheus);
        QCOMPARE(metrics.outputPath, "/var/lib/x/veltrin.prom");
        QCOMPARE(parse({"--list", "--expect", "plan.csv"}).expectFile, "plan.csv");
        QCOMPARE(parse({"--list", "--expect", "p.csv", "--report", "r.pdf"}).reportPath, "r.pdf");
        QVERIFY(!parse({"--list"}).verbose);
        const CommandLine columns = parse({"--list", "--verbose", "--expect", "p.csv", "--expect-columns",
                                           "mac=Hardware, NAME = Wohnung"});
        QVERIFY(columns.verbose);
        QCOMPARE(columns.expectColumns.header(PlanColumns::Field::Mac), "Hardware");
        QCOMPARE(columns.expectColumns.header(PlanColumns::Field::Name), "Wohnung");
        QVERIFY(columns.expectColumns.header(PlanColumns::Field::Serial).isEmpty());
    }

    void watchOptions()
    {
        const CommandLine line = parse({"--watch", "--interval", "2", "--gone-after", "1", "--expect", "p.csv",
                                        "--interface", "eth0"});
        QCOMPARE(line.action, CommandLine::Action::Watch);
        QCOMPARE(line.intervalSeconds, 2);
        QCOMPARE(line.goneAfter, 1);
        QCOMPARE(line.expectFile, "p.csv");
        QCOMPARE(line.interfaceNames, QStringList{"eth0"});
        const CommandLine columns = parse({"--watch", "--expect", "p.csv", "--expect-columns=ip=Adresse",
                                           "--verbose"});
        QCOMPARE(columns.expectColumns.header(PlanColumns::Field::Ip), "Adresse");
        QVERIFY(columns.verbose);
        QCOMPARE(parse({"--watch"}).intervalSeconds, 5);
        QCOMPARE(parse({"--watch"}).goneAfter, 3);
    }

    void errors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown option") << QStringList{"--lsit"} << "Unknown option 'lsit'.";
        QTest::newRow("unknown with list") << QStringList{"--list", "--fast"} << "Unknown option 'fast'.";
        QTest::newRow("argument") << QStringList{"10.5.0.1"} << "Unexpected argument: 10.5.0.1";
        QTest::newRow("missing value") << QStringList{"--list", "--wait"} << "Missing value after '--wait'.";
        QTest::newRow("two formats") << QStringList{"--list", "--json", "--csv"}
                                     << "--json and --csv cannot be used together";
        QTest::newRow("csv and prometheus") << QStringList{"--list", "--prometheus", "--csv"}
                                            << "--csv and --prometheus cannot be used together";
        QTest::newRow("empty output") << QStringList{"--list", "--output="} << "--output needs a file name";
        QTest::newRow("output without list") << QStringList{"--output", "x"} << "--output works only with --list";
        QTest::newRow("target without list") << QStringList{"--target", "10.5.0.1"}
                                             << "--target works only with --list";
        QTest::newRow("json without list") << QStringList{"--json"} << "--json works only with --list";
        QTest::newRow("list and watch") << QStringList{"--list", "--watch"}
                                        << "--list and --watch cannot be used together";
        QTest::newRow("json with watch") << QStringList{"--watch", "--json"} << "--json works only with --list";
        QTest::newRow("expect alone") << QStringList{"--expect", "p.csv"}
                                      << "--expect works only with --list or --watch";
        QTest::newRow("verbose alone") << QStringList{"--verbose"} << "--verbose works only with --list or --watch";
        QTest::newRow("columns without plan") << QStringList{"--list", "--expect-columns", "mac=Hardware"}
                                              << "--expect-columns works only with --expect";
        QTest::newRow("columns unknown field")
                << QStringList{"--list", "--expect", "p.csv", "--expect-columns", "mac=Hardware,room=Wohnung"}
                << "--expect-columns: unknown field \"room\"; the fields are mac, serial, ip, version and name";
        QTest::newRow("columns without header")
                << QStringList{"--watch", "--expect", "p.csv", "--expect-columns", "mac"}
                << "--expect-columns: needs FIELD=HEADER pairs such as mac=Hardware,name=Wohnung, got \"mac\"";
        QTest::newRow("columns twice") << QStringList{"--list", "--expect", "p.csv", "--expect-columns", "ip=a,ip=b"}
                                       << "--expect-columns: ip is chosen twice";
        QTest::newRow("report with watch") << QStringList{"--watch", "--expect", "p.csv", "--report", "r.pdf"}
                                           << "--report works only with --list";
        QTest::newRow("report without plan") << QStringList{"--list", "--report", "r.pdf"}
                                             << "--report works only with --expect: the report compares the site "
                                                "with its plan";
        QTest::newRow("empty report") << QStringList{"--list", "--expect", "p.csv", "--report="}
                                      << "--report needs a file name";
        QTest::newRow("interval with list") << QStringList{"--list", "--interval", "5"}
                                            << "--interval works only with --watch";
        for (const char *interval : {"1", "3601", "2.5", "x"}) {
            QTest::newRow(qPrintable(QStringLiteral("interval %1").arg(interval)))
                    << QStringList{"--watch", "--interval", interval}
                    << QStringLiteral("--interval needs a whole number of seconds from 2 to 3600, got \"%1\"")
                               .arg(interval);
        }
        QTest::newRow("gone after 0") << QStringList{"--watch", "--gone-after", "0"}
                                      << "--gone-after needs a whole number of rounds from 1 to 43200, got \"0\"";
        for (const char *wait : {"-1", "abc", "nan", "inf", "3601", "1,5"}) {
            QTest::newRow(qPrintable(QStringLiteral("wait %1").arg(wait)))
                    << QStringList{"--list", "--wait", wait}
                    << QStringLiteral("--wait needs a number of seconds from 0 to 3600, got \"%1\"").arg(wait);
        }
        for (const char *rate : {"0", "-5", "x", "1000001", "1e-9", "0.999"}) {
            QTest::newRow(qPrintable(QStringLiteral("rate %1").arg(rate)))
                    << QStringList{"--list", "--rate", rate}
                    << QStringLiteral("--rate needs a number of requests per second from 1 to 1000000, "
                                      "got \"%1\"").arg(rate);
        }
        QTest::newRow("bad target") << QStringList{"--list", "--target", "10.5.0.1", "--target", "10.5.0.0/33"}
                                    << "--target: Not an address, CIDR block or range: \"10.5.0.0/33\"";
        QTest::newRow("too many targets") << QStringList{"--list", "--target", "10.0.0.0/8"}
                                          << "--target: Too many target addresses: 16777214, at most 65536 per query";
        QTest::newRow("empty interface") << QStringList{"--list", "--interface", " "}
                                         << "--interface needs an interface name";
        QTest::newRow("only commas") << QStringList{"--list", "--interface", " , "}
                                     << "--interface needs an interface name";
        QTest::newRow("multicast target") << QStringList{"--list", "--target", "224.0.0.1"}
                                          << "--target: Not a host: \"224.0.0.1\" is or includes multicast addresses "
                                             "(224.0.0.0/4), which reach groups, not one device";
    }

    void errors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const CommandLine line = parse(arguments);
        QCOMPARE(line.action, CommandLine::Action::Error);
        QCOMPARE(line.error, error);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
