// The command-line modes without root or a network namespace: --list and
// --watch on a loopback endpoint (127.0.0.1, free high ports, never a
// broadcast), their writers, and the Prometheus listing from device values.
// tests/finder/cli/test_cli_lab.sh runs the whole program in labs.
#include "devicelist/found_devices.h"
#include "discovery/discovery_messages.h"
#include "finder/core/exit_status.h"
#include "finder/cli/json_line.h"
#include "finder/cli/list_mode.h"
#include "finder/cli/prometheus_listing.h"
#include "finder/cli/watch_mode.h"
#include "tests/support/test_finder_loopback.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Device n of LoopbackDevices, with its own description.
QByteArray reply(int n, const QByteArray &description)
{
    QByteArray text = LoopbackDevices::reply(n);
    return text.left(text.indexOf("description: ") + 13) + description;
}

// Standard output into a file while it lives: where --watch writes.
class CapturedOutput
{
public:
    CapturedOutput()
    {
        std::fflush(stdout);
        m_file.open();
        m_saved = ::dup(STDOUT_FILENO);
        ::dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~CapturedOutput() { lines(); }

    // What was written, line by line; standard output is back.
    QList<QByteArray> lines()
    {
        if (m_saved >= 0) {
            ::dup2(m_saved, STDOUT_FILENO);
            ::close(std::exchange(m_saved, -1));
        }
        m_file.seek(0);
        // Less the test log's own lines, there with QT_LOGGING_RULES.
        QList<QByteArray> all;
        for (const QByteArray &line : m_file.readAll().split('\n')) {
            if (!line.isEmpty() && !line.startsWith("QDEBUG ") && !line.startsWith("QINFO ") && !line.startsWith("QWARN "))
                all << line;
        }
        return all;
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

// Calls step every few milliseconds while a mode's event loop runs.
class Ticker
{
public:
    explicit Ticker(std::function<void()> step)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(step));
        m_timer.start(5);
    }

private:
    QTimer m_timer;
};

} // namespace

class TestCliModes : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

    // A plan: device 1 of LoopbackDevices at another IP, and device 9.
    QString plan()
    {
        const QString path = dir_.filePath(u"plan.csv"_s);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write("MAC,IP,Name\n00-11-22-33-44-01,10.0.0.1,Gate one\n00-11-22-33-44-09,,Cellar\n");
        return path;
    }

    static CommandLine listing(CommandLine::Format format, const QString &output)
    {
        CommandLine line;
        line.action = CommandLine::Action::List;
        line.format = format;
        line.waitSeconds = 0.3;
        line.outputPath = output;
        return line;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // --list --json --expect: every device once, its status against the
    // plan, the missing station last; exit status 3 for it.
    void listComparesWithThePlan()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        CommandLine line = listing(CommandLine::Format::Json, dir_.filePath(u"list.json"_s));
        line.expectFile = plan();
        ListMode mode(line, devices.finderSettings());
        const Ticker answer([&devices, answered = false]() mutable {
            if (!answered && !devices.requests().isEmpty()) {
                answered = true;
                devices.answer(LoopbackDevices::reply(1));
                devices.answer(LoopbackDevices::reply(2));
            }
        });
        QCOMPARE(mode.exec(), ExitStatus::Missing);

        QFile file(line.outputPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray array = QJsonDocument::fromJson(file.readAll()).array();
        QStringList seen;
        for (const QJsonValue &device : array)
            seen << device[u"mac"_s].toString() + u' ' + device[u"status"_s].toString();
        QCOMPARE(seen, (QStringList{u"00-11-22-33-44-01 differs"_s, u"00-11-22-33-44-02 unexpected"_s,
                                    u"00-11-22-33-44-09 missing"_s}));
        QCOMPARE(array[0][u"description"_s].toString(), u"Gate 1"_s);
    }

    // --output replaces the file only once the listing is whole: a commit
    // that fails (the folder went away) is a failed write, not a listing.
    void listEndsLoudlyWhenTheOutputCannotBeCommitted()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        QTemporaryDir gone;
        ListMode mode(listing(CommandLine::Format::Csv, gone.filePath(u"list.csv"_s)), devices.finderSettings());
        const Ticker answer([&devices, &gone, answered = false]() mutable {
            if (!answered && !devices.requests().isEmpty()) {
                answered = true;
                devices.answer(LoopbackDevices::reply(1));
                gone.remove();
            }
        });
        QCOMPARE(mode.exec(), ExitStatus::WriteFailed);
    }

    void listRefusesAPlanItCannotRead()
    {
        CommandLine line = listing(CommandLine::Format::Text, {});
        line.expectFile = dir_.filePath(u"absent.csv"_s);
        LoopbackDevices devices;
        ListMode mode(line, devices.finderSettings());
        QCOMPARE(mode.exec(), ExitStatus::Failed);
    }

    // --watch --expect, one round at a time: what appeared, with its status
    // and planned name; after the first round, the station that did not
    // answer; a round later (gone after one), the device that stopped, its
    // station missing again.
    void watchReportsEachRound()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        CommandLine line;
        line.action = CommandLine::Action::Watch;
        line.expectFile = plan();
        line.goneAfter = 1;
        CapturedOutput output;
        WatchMode mode(line, devices.finderSettings());
        auto *const watch = mode.findChild<DeviceWatch *>();
        QVERIFY(watch);
        QList<int> ended;
        connect(watch, &DeviceWatch::roundEnded, this, [&ended](int round) { ended << round; });
        const Ticker rounds([&devices, watch, &ended] {
            const qsizetype requests = devices.requests().size();
            if (requests == 1 && watch->roster().size() == 0 && ended.isEmpty())
                devices.answer(reply(1, "Gate \"1\"\\"));
            else if (requests == 1 && watch->roster().size() == 1 && ended.isEmpty())
                watch->endRound();
            else if (requests == 2 && ended.size() == 1)
                watch->endRound();   // nobody answers round 2
            else if (ended.size() == 2)
                std::raise(SIGTERM);
        });
        QCOMPARE(mode.exec(), ExitStatus::Stopped);
        const QList<QByteArray> lines = output.lines();

        QCOMPARE(ended, (QList<int>{1, 2}));
        QStringList events;
        QList<QJsonObject> objects;
        for (const QByteArray &text : lines) {
            QJsonParseError error;
            const QJsonObject object = QJsonDocument::fromJson(text, &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, text.constData());
            objects << object;
            events << object[u"event"_s].toString() + u' ' + object[u"mac"_s].toString() + u' '
                              + object[u"status"_s].toString() + u' ' + object[u"name"_s].toString();
        }
        QCOMPARE(events, (QStringList{u"appeared 00-11-22-33-44-01 differs Gate one"_s,
                                      u"missing 00-11-22-33-44-09 missing Cellar"_s,
                                      u"gone 00-11-22-33-44-01 missing Gate one"_s}));
        QCOMPARE(objects[0][u"description"_s].toString(), u"Gate \"1\"\\"_s);
        QVERIFY(objects[2].contains(u"last_seen"_s));
    }

    void jsonLineKeepsValuesAsStrings()
    {
        JsonLine previous;
        previous.add(u"ip"_s, u"10.0.0.1"_s);
        JsonLine line;
        line.add(u"event"_s, u"changed"_s).add(u"description"_s, u"a \"b\"\\\x1b"_s).addObject(u"previous"_s, previous);
        QCOMPARE(line.line(), "{\"event\":\"changed\",\"description\":\"a \\\"b\\\"\\\\\\u001b\","
                              "\"previous\":{\"ip\":\"10.0.0.1\"}}\n");
        QVERIFY(JsonLine().isEmpty());
    }

    // The planned devices' gauges as scans go: a device that answers with
    // other values than planned is up, not missing; a station that stops
    // answering is missing in the next scan.
    void prometheusCountsThePlannedDevices()
    {
        const SitePlan plan = SitePlan::load(this->plan());
        QVERIFY2(plan.isValid(), qPrintable(plan.error()));
        const auto scan = [&plan](const QList<int> &answering) {
            FoundDevices found;
            SiteTally tally(plan);
            for (const int n : answering) {
                found.takeDevice(parseReply(QString::fromLatin1(LoopbackDevices::reply(n))), u"127.0.0.1"_s, {});
                tally.add(found.records().last().fields);
            }
            PrometheusListing listing;
            listing.start({});
            return QString::fromUtf8(listing.text(found, true, &tally));
        };
        QString text;
        text = scan({1, 9});
        QVERIFY2(text.contains(u"veltrin_expected_device_up{mac=\"00-11-22-33-44-01\",serial=\"\",ip=\"10.0.0.1\","
                               u"name=\"Gate one\"} 1\n"_s), qPrintable(text));
        QVERIFY2(text.contains(u"veltrin_expected_devices_missing 0\n"_s), qPrintable(text));
        QVERIFY(text.contains(u"veltrin_devices_answered 2\n"_s));

        text = scan({9});
        QVERIFY2(text.contains(u"name=\"Gate one\"} 0\n"_s), qPrintable(text));
        QVERIFY2(text.contains(u"veltrin_expected_devices_missing 1\n"_s), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestCliModes)
#include "test_cli_modes.moc"
