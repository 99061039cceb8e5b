#include "devicelist/device_table.h"
#include "devicelist/reach_command.h"

#include <QAbstractItemModelTester>
#include <QTimeZone>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

DeviceReply reply(const QString &mac = "00-11-22-33-44-55\n")
{
    DeviceReply r;
    r.accepted = true;
    r.macAddress = mac;
    r.serialNumber = "123456789012\n";
    r.swVersion = "1.0.2\n";
    r.description = "Door phone <b>\n";
    return r;
}

void prepare(DeviceTable &table, int used, int free)
{
    table.setLocale(QLocale(QLocale::English));
    table.setHeaderFormat(DeviceTable::HeaderFormat);
    for (int i = 0; i < used; ++i)
        table.fillDeviceRow(reply(), "192.168.1.10");
    for (int i = 0; i < free; ++i)
        table.addEmptyRow();
}

bool rowIsEmpty(const DeviceTable &table, int row)
{
    for (int c = 0; c < DeviceTable::ColumnCount; ++c)
        if (!table.cellText(row, c).isEmpty())
            return false;
    return true;
}

} // namespace

class TestDeviceTable : public QObject
{
    Q_OBJECT

private slots:
    void headerFormat()
    {
        DeviceTable table;
        QCOMPARE(DeviceTable::HeaderFormat.size(), 120);
        table.setHeaderFormat(DeviceTable::HeaderFormat);
        QCOMPARE(table.columnCount(), 6);
        QCOMPARE(table.tableRowCount(), 1);
        const QStringList texts{"#  ", "IP Address          ", "Serial Number          ",
                                "MAC Address         ", " SW Version      ", "Description                "};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(table.headerData(c, Qt::Horizontal).toString(), texts[c]);
            QCOMPARE(table.cellText(0, c), texts[c]);
            const bool left = c != 5;
            QCOMPARE(table.columnAlignment(c), left ? Qt::AlignLeft | Qt::AlignVCenter : Qt::Alignment());
            QCOMPARE(table.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).isValid(), left);
        }

        table.setHeaderFormat("<a|b|<c");
        QCOMPARE(table.columnCount(), 3);
        QCOMPARE(table.headerText(1), "b");
        QCOMPARE(table.columnAlignment(1), Qt::Alignment());
        QCOMPARE(table.columnAlignment(2), Qt::AlignLeft | Qt::AlignVCenter);
    }

    // Filling one table, and emptying another, prepared with these rows.
    void fillAndEmpty_data()
    {
        QTest::addColumn<int>("used");
        QTest::addColumn<int>("free");
        QTest::addColumn<int>("expectedRow");
        QTest::addColumn<bool>("adds");
        QTest::newRow("header only") << 0 << 0 << 1 << true;
        QTest::newRow("all in use") << 3 << 0 << 4 << true;
        QTest::newRow("used and free below the block") << 2 << 3 << 3 << false;
        QTest::newRow("no row in use") << 0 << 3 << 1 << false;
    }

    void fillAndEmpty()
    {
        QFETCH(int, used);
        QFETCH(int, free);
        QFETCH(int, expectedRow);
        QFETCH(bool, adds);
        DeviceTable table;
        prepare(table, used, free);
        const QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
        const QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
        QVERIFY(table.fillDeviceRow(reply(), "192.168.1.10"));
        QCOMPARE(table.tableRowCount(), 1 + used + free + (adds ? 1 : 0));
        const QStringList expected{QString::number(expectedRow), "192.168.1.10", "1234-5678-9012",
                                   "00-11-22-33-44-55\n", "1.0.2\n", "Door phone <b>\n"};
        for (int c = 0; c < 6; ++c)
            QCOMPARE(table.cellText(expectedRow, c), expected[c]);
        QCOMPARE(inserted.count(), adds ? 1 : 0);
        QCOMPARE(changed.count(), adds ? 0 : 1);
        if (expectedRow + 1 < table.tableRowCount())
            QVERIFY(rowIsEmpty(table, expectedRow + 1));
        // The same reply again takes a row of its own.
        for (int c = 1; c < 6 && expectedRow > 1; ++c)
            QCOMPARE(table.cellText(expectedRow - 1, c), expected[c]);

        DeviceTable emptied;
        prepare(emptied, used, free);
        const QSignalSpy emptiedChanged(&emptied, &QAbstractItemModel::dataChanged);
        const QSignalSpy reset(&emptied, &QAbstractItemModel::modelReset);
        const QSignalSpy removed(&emptied, &QAbstractItemModel::rowsRemoved);
        emptied.emptyRows();
        QCOMPARE(emptied.tableRowCount(), 1 + used + free);
        for (int r = 1; r < emptied.tableRowCount(); ++r)
            QVERIFY(rowIsEmpty(emptied, r));
        QCOMPARE(emptiedChanged.count() + reset.count() + removed.count(), used > 0 ? 1 : 0);
        QVERIFY(emptied.fillDeviceRow(reply(), "10.0.0.1"));
        QCOMPARE(emptied.cellText(1, 0), "1");
        QCOMPARE(emptied.tableRowCount(), std::max(2, 1 + used + free));
    }

    // setCellText and removeDataRow may leave the rows in use out of one block.
    void genericOperationsKeepFillsRight()
    {
        DeviceTable table;
        prepare(table, 3, 2);
        table.setCellText(2, DeviceTable::MacColumn, QString());
        table.emptyRows();  // only row 1 leaves; the used row 3 moves up behind the free row 2
        QCOMPARE(table.tableRowCount(), 6);
        QCOMPARE(table.cellText(1, 0), "2");
        QCOMPARE(table.cellText(2, 0), "3");
        QVERIFY(!table.cellText(2, DeviceTable::MacColumn).isEmpty());
        QVERIFY(table.fillDeviceRow(reply("a"), "10.0.0.1"));
        QVERIFY(table.fillDeviceRow(reply("b"), "10.0.0.1"));
        QCOMPARE(table.cellText(1, 3), "a");
        QCOMPARE(table.cellText(3, 3), "b");
        QCOMPARE(table.cellText(3, 0), "3");

        table.removeDataRow(1);
        QVERIFY(table.fillDeviceRow(reply("c"), "10.0.0.1"));
        QCOMPARE(table.cellText(3, 3), "c");
        QCOMPARE(table.tableRowCount(), 5);
    }

    void rowLimit()
    {
        DeviceTable table;
        prepare(table, DeviceRecord::MaxDevices, 0);
        QCOMPARE(table.tableRowCount(), 32768);
        QCOMPARE(table.cellText(32767, 0), "32767");
        QVERIFY(!table.fillDeviceRow(reply("x"), "10.0.0.1"));
        table.addEmptyRow();
        QCOMPARE(table.tableRowCount(), 32768);
        table.setCellText(100, DeviceTable::MacColumn, QString());
        QVERIFY(table.fillDeviceRow(reply("x"), "10.0.0.1"));
        QCOMPARE(table.cellText(100, 3), "x");
        table.emptyRows();
        QVERIFY(table.fillDeviceRow(reply("y"), "10.0.0.1"));
        QCOMPARE(table.cellText(1, 3), "y");
    }

    // One host must not fill memory: each cell keeps a bounded prefix, says
    // it was shortened, and a later shorter value takes the mark away.
    void longValuesAreShortened_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        const qsizetype max = PackedRow::MaxCellLength;
        const QString pair = QString::fromUtf16(u"\U0001F600");
        QTest::newRow("at the limit") << QString(max, u'd') << QString(max, u'd');
        QTest::newRow("one over") << QString(max + 1, u'd') << QString(max, u'd') + QChar(0x2026);
        QTest::newRow("60 kB") << QString(60000, u'd') << QString(max, u'd') + QChar(0x2026);
        // A surrogate pair across the limit is not split.
        QTest::newRow("pair at the edge") << QString(max - 1, u'd') + pair + u"tail"_s
                                          << QString(max - 1, u'd') + QChar(0x2026);
        // A device's own ellipsis within the limit is not a shortening.
        QTest::newRow("own ellipsis") << u"abc\u2026"_s << u"abc\u2026"_s;
    }

    void longValuesAreShortened()
    {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        DeviceTable table;
        prepare(table, 0, 0);
        DeviceReply long_ = reply();
        long_.description = value;
        long_.swVersion = value;
        QVERIFY(table.fillDeviceRow(long_, "10.0.0.1"));
        const bool shortened = stored != value;
        for (const int column : {4, 5}) {
            const QModelIndex cell = table.index(0, column);
            QCOMPARE(table.cellText(1, column), stored);
            QCOMPARE(table.cellIsShortened(1, column), shortened);
            QCOMPARE(cell.data(Qt::ToolTipRole).toString().contains(u"256"_s), shortened);
            QCOMPARE(cell.data(Qt::AccessibleTextRole).toString(), shortened ? stored + u" (shortened)"_s : QString());
        }
        QVERIFY(!table.cellIsShortened(1, 3));
        QCOMPARE(table.cellText(1, 3), "00-11-22-33-44-55\n");

        table.setCellText(1, 5, value);
        QCOMPARE(table.cellText(1, 5), stored);
        table.setCellText(1, 5, u"short"_s);
        QCOMPARE(table.cellText(1, 5), "short");
        QVERIFY(!table.cellIsShortened(1, 5));
        QCOMPARE(table.cellIsShortened(1, 4), shortened);
        QCOMPARE(table.cellText(1, 4), stored);
    }

    // A MAC address is an identifier: the display pattern may add its
    // separators, never drop a digit. A serial keeps its pattern; what it
    // dropped is in the tooltip, and matching and exports read the value as
    // received.
    void identifiersAsReceived_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("macCell");
        QTest::addColumn<QString>("serialCell");
        QTest::addColumn<QString>("serialTip");
        QTest::newRow("separated") << "DE-AD-BE-EF-00-01\n" << "123456789012\n" << "DE-AD-BE-EF-00-01\n"
                                   << "1234-5678-9012" << "";
        QTest::newRow("digits") << "112233445566" << "x1" << "11-22-33-44_55-66" << "x1" << "";
        QTest::newRow("leading zeros") << "001122334455\n" << "000005050378\n" << "001122334455\n"
                                       << "-505-0378" << "Received: 000005050378";
        QTest::newRow("fraction") << "12.5" << "1.5" << "12.5" << "--2" << "Received: 1.5";
    }

    void identifiersAsReceived()
    {
        QFETCH(QString, mac);
        QFETCH(QString, serial);
        DeviceTable table;
        prepare(table, 0, 0);
        DeviceReply device = reply(mac);
        device.serialNumber = serial;
        QVERIFY(table.fillDeviceRow(device, "10.0.0.1"));
        QTEST(table.cellText(1, DeviceTable::MacColumn), "macCell");
        QTEST(table.cellText(1, DeviceTable::SerialColumn), "serialCell");
        QCOMPARE(table.receivedText(1, DeviceTable::MacColumn), mac);
        QCOMPARE(table.receivedText(1, DeviceTable::SerialColumn), serial);
        QCOMPARE(table.receivedText(1, 1), "10.0.0.1");
        const QModelIndex cell = table.index(0, DeviceTable::SerialColumn);
        QTEST(cell.data(Qt::ToolTipRole).toString(), "serialTip");
        QCOMPARE(cell.data(DeviceRoles::ReceivedText).toString(), serial);

        // A value set by hand is shown and received alike.
        table.setCellText(1, DeviceTable::SerialColumn, u"42"_s);
        QCOMPARE(table.receivedText(1, DeviceTable::SerialColumn), u"42"_s);
    }

    void modelProtocol()
    {
        DeviceTable table;
        const QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        prepare(table, 3, 2);
        QCOMPARE(table.data(table.index(1, 0)).toString(), table.cellText(2, 0));
        const Qt::ItemFlags flags = table.flags(table.index(0, 0));
        QVERIFY(flags.testFlag(Qt::ItemIsSelectable) && !flags.testFlag(Qt::ItemIsEditable));
        table.setCellText(2, DeviceTable::MacColumn, QString());
        table.emptyRows();
        table.emptyRows();
        table.removeDataRow(2);
        table.setHeaderFormat("<a|b");
        table.fillDeviceRow(reply(), "10.0.0.1");
        table.setHeaderFormat(DeviceTable::HeaderFormat);
        QCOMPARE(table.columnCount(), 6);
        // The origin columns come and go after the six, through emptying too.
        table.setOriginColumnsShown(true);
        QCOMPARE(table.columnCount(), 8);
        table.emptyRows();
        table.setOriginColumnsShown(false);
        QCOMPARE(table.columnCount(), 6);
    }

    // Where a reply came in travels with its row; one from another subnet
    // says why its page will not open, and the command to reach it takes a
    // free address of its /24, quoting an interface name a shell would read.
    void replyOrigin()
    {
        DeviceTable table;
        prepare(table, 1, 0);
        const QDateTime at(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone::utc());
        QVERIFY(table.fillDeviceRow(reply("AA\n"), "192.168.50.20", {u"eth0"_s, at, true}));
        table.emptyRows();
        QVERIFY(!table.replyOrigin(1).otherSubnet);
        QVERIFY(table.fillDeviceRow(reply("AA\n"), "192.168.50.20", {u"eth0"_s, at, true}));
        QVERIFY(table.fillDeviceRow(reply("BB\n"), "10.0.0.2", {u"eth0"_s, at, false}));
        const QModelIndex ip = table.index(0, DeviceTable::IpColumn);
        QVERIFY(ip.data(DeviceRoles::OtherSubnet).toBool());
        QVERIFY(!table.index(1, 0).data(DeviceRoles::OtherSubnet).toBool());
        QVERIFY(ip.data(Qt::ToolTipRole).toString().contains(u"outside every subnet of eth0"_s));
        QVERIFY(table.index(0, 2).data(Qt::ToolTipRole).isNull());
        table.setOriginColumnsShown(true);
        QCOMPARE(table.index(0, 6).data().toString(), u"eth0"_s);
        QCOMPARE(table.index(0, 7).data(DeviceRoles::ArrivalTime).toDateTime(), at);
        QCOMPARE(table.headerData(7, Qt::Horizontal).toString(), u"Time of reply"_s);

        QCOMPARE(reachCommand(u"192.168.50.20"_s, u"eth0"_s, {u"192.168.50.254"_s, u"10.0.0.2"_s}),
                 u"sudo ip addr add 192.168.50.253/24 dev eth0"_s);
        QCOMPARE(reachCommand(u"192.168.50.254"_s, u"a;b'c"_s, {}),
                 u"sudo ip addr add 192.168.50.253/24 dev 'a;b'\\''c'"_s);
        QVERIFY(reachCommand(u"fe80::1"_s, u"eth0"_s, {}).isEmpty());
    }
};

QTEST_MAIN(TestDeviceTable)
#include "test_device_table.moc"
