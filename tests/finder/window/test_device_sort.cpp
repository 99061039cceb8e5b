// Sorting the grid by a column: only the view's order changes.
#include "tests/finder/window/device_grid_fixture.h"

#include <QHeaderView>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestDeviceSort : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        grid = std::make_unique<DeviceGrid>();
        for (const char *ip : {"10.0.0.10", "10.0.0.9", "192.168.1.2", "10.0.0.100", "9.255.255.255"})
            grid->answer(ip, u"00-11-%1"_s.arg(grid->table.rowCount()));
        grid->view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid->view));
    }
    void cleanup() { grid.reset(); }

    void headerClicksGoAscendingDescendingArrival()
    {
        const QStringList arrival{"10.0.0.10", "10.0.0.9", "192.168.1.2", "10.0.0.100", "9.255.255.255"};
        QHeaderView *header = grid->view.horizontalHeader();
        header->resizeSection(1, 97);
        const int ipWidth = header->sectionSize(1);
        const QPoint ipHeader(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2);
        QCOMPARE(grid->shown(1), arrival);

        grid->selectRows({3});  // 10.0.0.100
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ipHeader);
        QCOMPARE(grid->shown(1),
                 QStringList({"9.255.255.255", "10.0.0.9", "10.0.0.10", "10.0.0.100", "192.168.1.2"}));
        // The selection stays with its device, and the widths with their columns.
        QCOMPARE(grid->view.selectionModel()->selectedRows(), QModelIndexList({grid->view.model()->index(3, 0)}));
        QCOMPARE(header->sectionSize(1), ipWidth);
        QVERIFY(grid->view.model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString().contains("ascending"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ipHeader);
        QCOMPARE(grid->shown(1),
                 QStringList({"192.168.1.2", "10.0.0.100", "10.0.0.10", "10.0.0.9", "9.255.255.255"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ipHeader);
        QCOMPARE(grid->shown(1), arrival);
        QCOMPARE(grid->shown(0), QStringList({"1", "2", "3", "4", "5"}));
        QCOMPARE(grid->view.model(), &grid->table);
        QCOMPARE(grid->view.selectionModel()->selectedRows(), QModelIndexList({grid->table.index(3, 0)}));
        QCOMPARE(header->sectionSize(1), ipWidth);

        // The table itself never moved.
        for (int row = 0; row < arrival.size(); ++row)
            QCOMPARE(grid->table.cellText(row + 1, 1), arrival[row]);
    }

    void numberColumnByValueAndFreeRowsStayAtTheBottom()
    {
        for (int i = 0; i < 6; ++i)
            grid->answer(u"10.1.0.%1"_s.arg(i), u"00-22-%1"_s.arg(i));
        grid->table.emptyRows();
        for (int i = 0; i < 11; ++i)
            grid->answer(u"10.2.0.%1"_s.arg(i), u"00-33-%1"_s.arg(i));
        QCOMPARE(grid->table.rowCount(), 11);
        grid->table.addEmptyRow();
        grid->table.addEmptyRow();

        grid->sorting->sortBy(0, Qt::DescendingOrder);
        QCOMPARE(grid->shown(0),
                 QStringList({"11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "", ""}));
        grid->sorting->sortBy(0, Qt::AscendingOrder);
        QCOMPARE(grid->shown(0).mid(8), QStringList({"9", "10", "11", "", ""}));
    }

    void sortedViewStaysSortedAsRepliesArrive()
    {
        grid->table.emptyRows();  // five free rows, refilled in place
        grid->sorting->sortBy(1, Qt::DescendingOrder);
        grid->answer("10.0.0.5", "00-44-01");
        grid->answer("10.0.0.50", "00-44-02");
        grid->answer("10.0.0.7", "00-44-03");
        QCOMPARE(grid->shown(1), QStringList({"10.0.0.50", "10.0.0.7", "10.0.0.5", "", ""}));
        for (int i = 0; i < 4; ++i)  // past the free rows: new rows appended
            grid->answer(u"10.0.0.%1"_s.arg(20 + i), u"00-45-%1"_s.arg(i));
        QCOMPARE(grid->shown(1), QStringList({"10.0.0.50", "10.0.0.23", "10.0.0.22", "10.0.0.21", "10.0.0.20",
                                              "10.0.0.7", "10.0.0.5"}));
        QCOMPARE(grid->table.cellText(7, 1), "10.0.0.23");
    }

    // Text sorts as people read it: embedded numbers by value, case ignored.
    void textColumnsSortNaturally()
    {
        grid->table.emptyRows();
        for (const char *name : {"Tower 9969", "tower 997", "Tower 9970", "Gate 10", "Gate 9"})
            grid->answer(u"10.0.0.1"_s, u"00-55-%1"_s.arg(grid->table.rowCount()), QString::fromLatin1(name));
        grid->sorting->sortBy(5, Qt::AscendingOrder);
        QCOMPARE(grid->shown(5),
                 QStringList({"Gate 9", "Gate 10", "tower 997", "Tower 9969", "Tower 9970"}));
        // A reply into the sorted view lands in its place.
        grid->answer(u"10.0.0.2"_s, u"00-55-99"_s, u"Tower 998"_s);
        QCOMPARE(grid->shown(5).mid(2, 3), QStringList({"tower 997", "Tower 998", "Tower 9969"}));

        // MAC addresses by value in any notation, not as numbers in text:
        // 0A after 09; text that is no MAC after them all.
        grid->table.emptyRows();
        for (const char *mac : {"00-1A-2B-00-00-0A", "no mac", "00:1a:2b:00:00:01", "00-1A-2B-00-00-09", "001A2B000010"})
            grid->answer(u"10.0.0.1"_s, QString::fromLatin1(mac));
        grid->sorting->sortBy(3, Qt::AscendingOrder);
        QCOMPARE(grid->shown(3), QStringList({"00:1a:2b:00:00:01", "00-1A-2B-00-00-09", "00-1A-2B-00-00-0A",
                                              "001A2B000010", "no mac", ""}));
    }

    void filterMatchesAnyColumn_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("macs");
        QTest::newRow("IP prefix") << u"192.168."_s << QStringList{"00-11-2"};
        QTest::newRow("MAC without separators") << u"00113"_s << QStringList{"00-11-3"};
        QTest::newRow("MAC other separators") << u"00:11:4"_s << QStringList{"00-11-4"};
        QTest::newRow("serial part") << u"5432"_s << QStringList{"00-11-1"};
        QTest::newRow("serial part across its dash") << u"54321012"_s << QStringList{"00-11-1"};
        QTest::newRow("description, any case") << u"  gATE b "_s << QStringList{"00-11-0", "00-11-4"};
        QTest::newRow("nothing") << u"zz"_s << QStringList{};
    }

    void filterMatchesAnyColumn()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, macs);
        grid->table.emptyRows();
        grid->answer(u"10.0.0.10"_s, u"00-11-0"_s, u"Gate B"_s);
        grid->answer(u"10.0.0.9"_s, u"00-11-1"_s, u"Gate A"_s, u"987654321012"_s);
        grid->answer(u"192.168.1.2"_s, u"00-11-2"_s);
        grid->answer(u"10.0.0.100"_s, u"00-11-3"_s);
        grid->answer(u"9.255.255.255"_s, u"00-11-4"_s, u"Gate B"_s);
        grid->table.addEmptyRow();
        grid->sorting->sortBy(1, Qt::DescendingOrder);
        grid->sorting->setFilterText(filter);
        QStringList shown = grid->shown(3);
        shown.sort();
        QCOMPARE(shown, macs);
        // Replies arriving while it is set are filtered too; the free row stays hidden.
        grid->answer(u"10.9.9.9"_s, u"00-11-5"_s, filter.trimmed());
        QCOMPARE(grid->shown(3).size(), macs.size() + 1);
        grid->sorting->setFilterText({});
        QCOMPARE(grid->shown(3).size(), 6);
    }

    // Keys made before the origin columns came are not the filter's after.
    void filterSeesTheOriginColumnsOnceShown()
    {
        grid->answer(u"10.0.0.50"_s, u"00-11-9"_s, u"Gate"_s, u"1"_s, {u"veth7"_s, {}, false});
        grid->sorting->setFilterText(u"10.0.0.50"_s);
        QCOMPARE(grid->shown(3), QStringList{"00-11-9"});
        grid->table.setOriginColumnsShown(true);
        grid->sorting->setFilterText(u"veth7"_s);
        QCOMPARE(grid->shown(3), QStringList{"00-11-9"});
        grid->table.setOriginColumnsShown(false);
        grid->sorting->setFilterText(u"veth"_s);
        QCOMPARE(grid->shown(3), QStringList{});
    }

private:
    std::unique_ptr<DeviceGrid> grid;
};

QTEST_MAIN(TestDeviceSort)
#include "test_device_sort.moc"
