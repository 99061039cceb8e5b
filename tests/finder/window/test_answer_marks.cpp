// Repeated answers and address conflicts: marked with a tint, a tooltip and,
// for a conflict, a glyph; never merged. A device in another subnet. The
// count label's tooltip.
#include "tests/finder/window/device_grid_fixture.h"
#include "finder/window/main_window.h"
#include "finder/window/single_line_delegate.h"
#include "tests/support/test_finder_loopback.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QMenu>
#include <QBrush>
#include <QIcon>
#include <QLabel>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QToolTip>

using namespace Qt::StringLiterals;

// The grid's delegate, with the cell options it draws from in reach.
struct GridDelegate : SingleLineDelegate
{
    using SingleLineDelegate::initStyleOption;
};

class TestAnswerMarks : public QObject
{
    Q_OBJECT

private slots:
    void repeatsAndConflictsAreMarkedWithTheRowTheyMatch()
    {
        DeviceGrid grid;
        grid.answer("10.0.0.1", "00-AA");  // row 1
        grid.answer("10.0.0.2", "00-BB");  // row 2
        grid.answer("10.0.0.1", "00-AA");  // row 3: repeats row 1
        grid.answer("10.0.0.2", "00-CC");  // row 4: conflicts with row 2
        grid.answer("10.0.0.2", "00-BB");  // row 5: repeats row 2, conflicts with row 4
        grid.answer("10.0.0.9", "00-AA");  // row 6: repeats row 1 from another address
        const QAbstractItemModel &model = *grid.view.model();
        QCOMPARE(model.rowCount(), 6);  // nothing merged
        const auto data = [&](int row, int column, int role) { return model.index(row, column).data(role); };
        // The cell as the grid's delegate draws it.
        const GridDelegate delegate;
        const auto drawn = [&](int row, int column) {
            QStyleOptionViewItem option;
            option.decorationSize = QSize(16, 16);
            delegate.initStyleOption(&option, model.index(row, column));
            return option;
        };

        for (int column = 0; column < DeviceTable::ColumnCount; ++column) {
            for (int row : {0, 1}) {
                QVERIFY(!data(row, column, DeviceRoles::AnswerKinds).isValid());
                QVERIFY(!data(row, column, Qt::ToolTipRole).isValid());
                QCOMPARE(drawn(row, column).backgroundBrush.style(), Qt::NoBrush);
            }
            QCOMPARE(data(2, column, DeviceRoles::AnswerKinds).toInt(), AnswerMarks::Repeat);
            QCOMPARE(data(4, column, DeviceRoles::AnswerKinds).toInt(), AnswerMarks::Repeat | AnswerMarks::Conflict);
            QCOMPARE(data(2, column, Qt::ToolTipRole).toString(), "Repeated answer: row 1 has the same MAC address.");
        }
        QCOMPARE(data(3, 5, Qt::ToolTipRole).toString(),
                 "Address conflict: row 2 answered from the same IP address with another MAC address.");
        QCOMPARE(data(4, 0, Qt::ToolTipRole).toString(),
                 "Address conflict: row 4 answered from the same IP address with another MAC address.\n"
                 "Repeated answer: row 2 has the same MAC address.");
        QCOMPARE(data(5, 3, Qt::ToolTipRole).toString(), "Repeated answer: row 1 has the same MAC address.");

        // Tints differ, a conflict's wins; only conflicts carry a glyph, in the IP column.
        const QColor repeat = drawn(2, 0).backgroundBrush.color();
        const QColor conflict = drawn(3, 0).backgroundBrush.color();
        QVERIFY(repeat.isValid() && conflict.isValid() && repeat != conflict);
        QCOMPARE(drawn(4, 5).backgroundBrush.color(), conflict);
        QVERIFY(drawn(2, 1).icon.isNull());
        QVERIFY(drawn(3, 0).icon.isNull());
        for (int row : {3, 4}) {
            const QStyleOptionViewItem cell = drawn(row, DeviceTable::IpColumn);
            QVERIFY(!cell.icon.isNull());
            QVERIFY(cell.features & QStyleOptionViewItem::HasDecoration);
        }
        QVERIFY(!data(3, 1, Qt::DecorationRole).isValid());  // the model draws nothing

        QCOMPARE(grid.table.answerMarks().answers(), 6);
        QCOMPARE(grid.table.answerMarks().devices(), 3);
        QCOMPARE(answerCountToolTip(6, 3), "6 answers from 3 devices");
        QCOMPARE(answerCountToolTip(2, 1), "2 answers from 1 device");
        QCOMPARE(answerCountToolTip(1, 1), "1 answer from 1 device");
    }

    void marksFollowTheRowsWhenSortedAndGoWithARefresh()
    {
        DeviceGrid grid;
        grid.answer("10.0.0.5", "00-AA");
        grid.answer("10.0.0.5", "00-AA");
        grid.answer("10.0.0.1", "00-BB");
        grid.sorting->sortBy(1, Qt::AscendingOrder);
        const QAbstractItemModel &model = *grid.view.model();
        QCOMPARE(model.index(0, 0).data().toString(), "3");
        QVERIFY(!model.index(0, 0).data(Qt::ToolTipRole).isValid());
        QCOMPARE(model.index(2, 0).data().toString(), "2");
        QCOMPARE(model.index(2, 0).data(Qt::ToolTipRole).toString(),
                 "Repeated answer: row 1 has the same MAC address.");

        grid.table.emptyRows();
        grid.answer("10.0.0.5", "00-AA");
        QCOMPARE(grid.table.answerMarks().answers(), 1);
        for (int row = 0; row < model.rowCount(); ++row)
            QVERIFY(!model.index(row, 0).data(Qt::ToolTipRole).isValid());
    }

    // A device outside every subnet of the interface its reply came in on:
    // a glyph in the IP cell, the tooltip saying why, and the command that
    // reaches it with a free address of its /24; the others have none.
    void anotherSubnetIsMarkedAndCanBeReached()
    {
        DeviceGrid grid;
        grid.answer("10.77.16.10", "00-AA");
        DeviceReply reply;
        reply.accepted = true;
        reply.macAddress = u"00-BB\n"_s;
        grid.table.fillDeviceRow(reply, u"192.168.50.20"_s, {u"vf1"_s, QDateTime::currentDateTimeUtc(), true});
        grid.answer("192.168.50.254", "00-CC");
        const QAbstractItemModel &model = *grid.view.model();
        const GridDelegate delegate;
        const auto drawn = [&](int row) {
            QStyleOptionViewItem option;
            option.decorationSize = QSize(16, 16);
            delegate.initStyleOption(&option, model.index(row, DeviceTable::IpColumn));
            return option;
        };
        QVERIFY(drawn(0).icon.isNull());
        QVERIFY(!drawn(1).icon.isNull());
        QCOMPARE(model.index(1, DeviceTable::IpColumn).data(Qt::ToolTipRole).toString(),
                 DeviceTable::otherSubnetNote(u"vf1"_s));
        QVERIFY(model.index(1, DeviceTable::IpColumn).data(Qt::ToolTipRole).toString().contains(u"no route"_s));
        // Hovered, the IP cell shows the note.
        grid.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid.view));
        const QRect cell = grid.view.visualRect(model.index(1, DeviceTable::IpColumn));
        QHelpEvent help(QEvent::ToolTip, cell.center(), grid.view.viewport()->mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(grid.view.viewport(), &help);
        QVERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(u"no route"_s));
        QToolTip::hideText();

        QAction *reach = nullptr;
        for (QAction *action : grid.actions->contextMenu()->actions()) {
            if (action->text() == u"Copy command to &reach it"_s)
                reach = action;
        }
        QVERIFY(reach);
        QApplication::clipboard()->clear();
        grid.view.setCurrentIndex(model.index(0, 0));
        reach->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString());
        grid.view.setCurrentIndex(model.index(1, 0));
        reach->trigger();
        QCOMPARE(QApplication::clipboard()->text(), u"sudo ip addr add 192.168.50.253/24 dev vf1"_s);
    }

    void countLabelKeepsItsTextAndExplainsInItsTooltip()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        MainWindow window(devices.finderSettings());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *label = window.findChild<QLabel *>("tFoundDevice");
        const auto toolTip = [label] {
            QToolTip::hideText();
            (void)QTest::qWaitFor([] { return !QToolTip::isVisible(); });
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
            QCoreApplication::sendEvent(label, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(toolTip(), QString());
        devices.answer(LoopbackDevices::reply(1));
        devices.answer(LoopbackDevices::reply(1));
        devices.answer(LoopbackDevices::reply(2));
        QTRY_COMPARE(label->text(), " 3 device found");
        QCOMPARE(toolTip(), "3 answers from 2 devices");
        window.findChild<QAbstractButton *>("cmdRefresh")->click();
        QCOMPARE(label->text(), QString());
        QCOMPARE(toolTip(), QString());
    }
};

QTEST_MAIN(TestAnswerMarks)
#include "test_answer_marks.moc"
