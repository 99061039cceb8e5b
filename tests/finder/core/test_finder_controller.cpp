#include "discovery/discovery_messages.h"
#include "finder/core/device_watch.h"
#include "tests/support/test_finder_fixture.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

static const QString Request = QString::fromUtf16(RequestText);

// What a watch is handed: each device as its record.
struct RecordingSink : DeviceSink
{
    bool takeDevice(const DeviceReply &reply, const QString &sender, const ReplyOrigin &origin) override
    {
        devices << DeviceRecord::fromReply(reply, sender, origin);
        return true;
    }
    QList<DeviceRecord> devices;
};

class TestFinderController : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        devices = std::make_unique<LoopbackDevices>();
        QVERIFY(devices->isReady());
    }

    void startUpWithNoDevice()
    {
        Finder finder(devices->finderSettings());
        finder.controller.start();
        QCOMPARE(finder.table.headerText(3), "MAC Address         ");
        QCOMPARE(finder.table.tableRowCount(), 1);
        QCOMPARE(finder.view.counts, QList<int>{FakeView::Cleared});
        QCOMPARE(finder.view.requests, QStringList{Request});
        QVERIFY(finder.view.replies.isEmpty());
        QTRY_COMPARE(devices->requests().size(), 1);
        QCOMPARE(devices->requests().first().data(), "hip/1.0\nrequest: echo");
        QCOMPARE(devices->requests().first().senderPort(), devices->finderPort);
    }

    void datagramThatFillsNoRow_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("no mac key") << QByteArray("sw-version: 1.0\r\ndescription: hello");
        QTest::newRow("empty mac") << QByteArray("mac-address: sw-version: 1\r\nserial-number: 1\r\ndisplay: 1");
        // Nothing a listing could name the device by.
        QTest::newRow("mac of a line break")
                << QByteArray("mac-address: \nsw-version: 1\r\nserial-number: 1\r\ndisplay: 1\r\ndescription: x");
        QTest::newRow("mac of spaces and controls")
                << QByteArray("mac-address: \t \x01\x7f\r\nsw-version: 1\r\nserial-number: 1\r\ndisplay: 1");
        QTest::newRow("serial of a line break")
                << QByteArray("mac-address: 00-11-22-33-44-55\r\nsw-version: 1\r\nserial-number: \r\ndisplay: 1");
    }

    void datagramThatFillsNoRow()
    {
        QFETCH(QByteArray, datagram);
        Finder finder(devices->finderSettings());
        finder.controller.start();
        devices->answer(datagram);
        QTRY_COMPARE(finder.view.replies, QStringList{QString::fromLatin1(datagram)});
        QCOMPARE(finder.view.counts.last(), 0);
        QCOMPARE(finder.table.tableRowCount(), 1);
    }

    void repliesFillRowsAndRefreshEmptiesThem()
    {
        Finder finder(devices->finderSettings());
        finder.controller.start();
        for (int n = 1; n <= 3; ++n)
            devices->answer(LoopbackDevices::reply(n));
        QTRY_COMPARE(finder.view.replies.size(), 3);
        QCOMPARE(finder.view.counts, QList<int>({FakeView::Cleared, 1, 2, 3}));
        for (int row = 1; row <= 3; ++row) {
            QCOMPARE(finder.table.cellText(row, 0), QString::number(row));
            QCOMPARE(finder.table.cellText(row, 1), "127.0.0.1");
            QCOMPARE(finder.table.cellText(row, 5), "Gate " + QString::number(row));
        }

        devices->answer("hello");   // not a device: label and pane only
        QTRY_COMPARE(finder.view.replies.last(), "hello");
        QCOMPARE(finder.view.counts.last(), 3);
        QCOMPARE(finder.table.tableRowCount(), 4);

        finder.controller.refresh();
        QCOMPARE(finder.view.counts.last(), FakeView::Cleared);
        QCOMPARE(finder.table.tableRowCount(), 4);
        for (int row = 1; row <= 3; ++row)
            QVERIFY(finder.table.cellText(row, DeviceTable::MacColumn).isEmpty());
        QCOMPARE(finder.view.requests, QStringList({Request, Request}));
        QTRY_COMPARE(devices->requests().size(), 2);
        devices->answer(LoopbackDevices::reply(7));
        QTRY_COMPARE(finder.view.counts.last(), 1);
        QCOMPARE(finder.table.cellText(1, 5), "Gate 7");
    }

    void bindFailureLeavesStateAndRefreshRetries()
    {
        auto holder = std::make_unique<Finder>(devices->finderSettings());
        holder->controller.start();
        Finder second(devices->finderSettings());
        second.table.setHeaderFormat(DeviceTable::HeaderFormat);
        QVERIFY(second.table.fillDeviceRow(parseReply(QString::fromLatin1(LoopbackDevices::reply(1))), "10.0.0.5"));

        second.controller.refresh();
        QCOMPARE(second.view.failures.size(), 1);
        QCOMPARE(second.view.failures.first().operation, EndpointError::Operation::Bind);
        QCOMPARE(second.view.failures.first().port, devices->finderPort);
        QVERIFY(second.view.counts.isEmpty() && second.view.requests.isEmpty());
        QCOMPARE(second.table.cellText(1, 1), "10.0.0.5");

        holder.reset();
        second.controller.refresh();
        QCOMPARE(second.view.failures.size(), 1);
        QVERIFY(second.table.cellText(1, 1).isEmpty());
        devices->answer(LoopbackDevices::reply(2));
        QTRY_COMPARE(second.view.counts, QList<int>({FakeView::Cleared, 1}));
    }

    void replyTheFullTableCannotTakeIsNotCounted()
    {
        Finder finder(devices->finderSettings());
        finder.controller.start();
        for (int row = 1; row < DeviceRecord::MaxDevices; ++row) {
            finder.table.addEmptyRow();
            finder.table.setCellText(row, DeviceTable::MacColumn, "taken");
        }
        devices->answer(LoopbackDevices::reply(1));
        devices->answer(LoopbackDevices::reply(2));
        devices->answer(LoopbackDevices::reply(3));
        QTRY_COMPARE(finder.view.replies.size(), 3);
        QCOMPARE(finder.view.counts, QList<int>({FakeView::Cleared, 1, 1, 1}));
        QCOMPARE(finder.table.tableRowCount(), DeviceRecord::MaxDevices + 1);
        // Said to the view, counted until the next clearing.
        QCOMPARE(finder.view.drops, QList<qint64>({1, 2}));
        QCOMPARE(finder.controller.droppedCount(), 2);
        finder.controller.refresh();
        QCOMPARE(finder.controller.droppedCount(), 0);
    }

    // While watching, devices go to the watch, past the table and the view;
    // a refresh gives them back to the table.
    void watchingTakesDevicesPastTheTable()
    {
        Finder finder(devices->finderSettings());
        finder.controller.start();
        devices->answer(LoopbackDevices::reply(1));
        QTRY_COMPARE(finder.view.counts.last(), 1);
        RecordingSink watch;
        finder.controller.setWatching(&watch);
        for (const QByteArray &datagram : {LoopbackDevices::reply(2), QByteArray("hello"), LoopbackDevices::reply(3)})
            devices->answer(datagram);
        QTRY_COMPARE(watch.devices.size(), 2);
        const DeviceRecord &first = watch.devices.first();
        QCOMPARE(first.fields, (DeviceRecord::Fields{"127.0.0.1", "123456789012", "00-11-22-33-44-02", "1.0.2", "Gate 2"}));
        QCOMPARE(first.origin.interfaceName, "lo");
        QVERIFY(!first.origin.otherSubnet);
        QCOMPARE(finder.view.replies.size(), 1);
        QCOMPARE(finder.table.tableRowCount(), 2);

        finder.controller.refresh();
        QVERIFY(!finder.controller.isWatching());
        devices->answer(LoopbackDevices::reply(4));
        QTRY_COMPARE(finder.view.counts.last(), 1);
        QCOMPARE(finder.table.cellText(1, DeviceTable::DescriptionColumn), "Gate 4");
        QCOMPARE(watch.devices.size(), 2);
    }

    // A watch's rounds, ended by hand: each event in the round it happened,
    // a device gone once it missed goneAfter rounds, back when it answers.
    void watchRoundsTellWhatCameAndWent()
    {
        Finder finder(devices->finderSettings());
        DeviceWatch watch(finder.controller);
        QStringList events;
        connect(&watch, &DeviceWatch::deviceEvent, this,
                [&events, &watch](DeviceRoster::Event event, qsizetype entry, qint64) {
                    events << QStringLiteral("%1 %2 %3").arg(watch.roster().round()).arg(
                            DeviceRoster::eventName(event), watch.roster().entry(entry).values[DeviceRecord::Description]);
                });
        connect(&watch, &DeviceWatch::roundEnded, this, [&events](int round) { events << QStringLiteral("end %1").arg(round); });
        const auto round = [this, &watch](const QList<QByteArray> &answers) {
            const qsizetype requests = devices->requests().size();
            watch.endRound();
            QTRY_COMPARE(devices->requests().size(), requests + 1);
            for (const QByteArray &answer : answers)
                devices->answer(answer);
        };
        watch.start(DeviceWatch::MaxIntervalSeconds, 2);
        QTRY_COMPARE(devices->requests().size(), 1);
        devices->answer(LoopbackDevices::reply(1));
        devices->answer(LoopbackDevices::reply(2));
        QTRY_COMPARE(events.size(), 2);
        QByteArray renamed = LoopbackDevices::reply(1);
        round({renamed.replace("Gate 1", "Gate 1a")});
        QTRY_COMPARE(events.size(), 4);
        round({});
        round({LoopbackDevices::reply(2)});
        QTRY_COMPARE(events.size(), 8);
        QCOMPARE(events, (QStringList{"1 appeared Gate 1", "1 appeared Gate 2", "end 1", "2 changed Gate 1a", "end 2",
                                      "3 gone Gate 2", "end 3", "4 back Gate 2"}));
        watch.stop();
        QVERIFY(!finder.controller.isWatching());
    }

    // Target addresses get the request after the broadcast, once per query;
    // a refresh in the middle stops the rest.
    void queryAlsoAsksTheTargets()
    {
        Finder finder(devices->finderSettings());
        QSignalSpy sent(&finder.controller, &FinderController::sendingFinished);
        finder.controller.start();
        QCOMPARE(sent.count(), 1);
        QTRY_COMPARE(devices->requests().size(), 1);

        const TargetList loopback = parseTargetAddresses({QStringLiteral("127.0.0.1")});
        finder.controller.query(loopback);
        QTRY_COMPARE(sent.count(), 2);
        QTRY_COMPARE(devices->requests().size(), 3);
        for (const QNetworkDatagram &request : devices->requests()) {
            QCOMPARE(request.data(), "hip/1.0\nrequest: echo");
            QCOMPARE(request.senderPort(), devices->finderPort);
        }
        devices->answer(LoopbackDevices::reply(1));
        QTRY_COMPARE(finder.controller.foundCount(), 1);
        QVERIFY(finder.view.failures.isEmpty() && finder.view.warnings.isEmpty());

        // A plain refresh broadcasts only.
        finder.controller.refresh();
        QCOMPARE(sent.count(), 3);
        QTest::qWait(50);
        QCOMPARE(devices->requests().size(), 4);

        // 200 loopback addresses at 20/s: a refresh cuts the sweep short.
        finder.controller.query(parseTargetAddresses({QStringLiteral("127.0.0.1-127.0.0.200")}), 20);
        QVERIFY(finder.controller.isSending());
        finder.controller.refresh();
        QVERIFY(!finder.controller.isSending());
        QCOMPARE(sent.count(), 4);   // the refresh's; the stopped sweep never finishes
        QTest::qWait(100);
        QCOMPARE(sent.count(), 4);
        // Two broadcasts and the sweep's first address, 127.0.0.1.
        QCOMPARE(devices->requests().size(), 7);
    }

private:
    std::unique_ptr<LoopbackDevices> devices;
};

QTEST_MAIN(TestFinderController)
#include "test_finder_controller.moc"
