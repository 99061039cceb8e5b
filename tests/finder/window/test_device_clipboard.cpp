// What the grid puts on the clipboard: rows as tab-separated lines, single
// values, and the whole list with its header.
#include "device_grid_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

#include <memory>

class TestDeviceClipboard : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        grid = std::make_unique<DeviceGrid>();
        grid->answer("10.0.0.10", "00-11-22-33-44-01", "Gate\r\nnorth");
        grid->answer("10.0.0.9", "00-11-22-33-44-02", "Lobby\tdesk");
        grid->answer("10.0.0.11", "00-11-22-33-44-03", "=1+1");
        grid->view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid->view));
        grid->view.setFocus();
        QApplication::clipboard()->clear();
    }
    void cleanup() { grid.reset(); }

    void ctrlCCopiesSelectedRowsOnOneLineEach()
    {
        grid->view.selectionModel()->setCurrentIndex(grid->view.model()->index(2, 4), QItemSelectionModel::NoUpdate);
        grid->selectRows({0, 2});
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 "1\t10.0.0.10\t123456789012\t00-11-22-33-44-01\t1.0.2\tGate  north\n"
                 "3\t10.0.0.11\t123456789012\t00-11-22-33-44-03\t1.0.2\t=1+1\n");
    }

    void selectAllThenCtrlCCopiesEveryRowInUse()
    {
        grid->table.emptyRows();  // three free rows that Ctrl+A selects too
        grid->answer("10.0.0.12", "00-11-22-33-44-04");
        QTest::keyClick(&grid->view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 "1\t10.0.0.12\t123456789012\t00-11-22-33-44-04\t1.0.2\tGate\n");
    }

    void copyAllHasHeaderAndFollowsTheShownOrder()
    {
        grid->sorting->sortBy(1, Qt::AscendingOrder);
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 "#\tIP Address\tSerial Number\tMAC Address\tSW Version\tDescription\n"
                 "2\t10.0.0.9\t123456789012\t00-11-22-33-44-02\t1.0.2\tLobby desk\n"
                 "1\t10.0.0.10\t123456789012\t00-11-22-33-44-01\t1.0.2\tGate  north\n"
                 "3\t10.0.0.11\t123456789012\t00-11-22-33-44-03\t1.0.2\t=1+1\n");
    }

    void contextMenuCopiesAddresses()
    {
        const auto action = [this](const QString &text) {
            for (QAction *a : grid->actions->contextMenu()->actions()) {
                if (a->text() == text)
                    return a;
            }
            qFatal("no action %s", qPrintable(text));
        };
        QStringList texts;
        for (QAction *a : grid->actions->contextMenu()->actions())
            texts << a->text();
        QCOMPARE(texts, QStringList({"&Open web page", "", "Copy &IP address", "Copy &MAC address", "&Copy row(s)",
                                     "Copy &all", "", "&Save list…"}));

        grid->view.setCurrentIndex(grid->view.model()->index(1, 0));
        grid->selectRows({1});
        action("Copy &IP address")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "10.0.0.9");
        action("Copy &MAC address")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "00-11-22-33-44-02");
        grid->selectRows({0, 1});
        action("Copy &IP address")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), "10.0.0.10\n10.0.0.9");
    }

    void nothingToCopyLeavesTheClipboard()
    {
        QApplication::clipboard()->setText("before");
        grid->table.emptyRows();
        grid->selectRows({0, 1});
        QTest::keyClick(&grid->view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), "before");
    }

private:
    std::unique_ptr<DeviceGrid> grid;
};

QTEST_MAIN(TestDeviceClipboard)
#include "test_device_clipboard.moc"
