// Opening a device's web page (double-click, Enter, context menu), and the
// context menu from the mouse and the keyboard. Browsers are never started:
// a handler takes the http URLs.
#include "tests/finder/window/device_grid_fixture.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QTest>

#include <memory>
#include <QUrl>

class UrlCatcher : public QObject
{
    Q_OBJECT

public slots:
    void open(const QUrl &url) { urls << url; }

public:
    QList<QUrl> urls;
};

class TestDeviceWebPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler("http", &catcher, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("http"); }

    void init()
    {
        catcher.urls.clear();
        grid = std::make_unique<DeviceGrid>();
        grid->answer("10.0.0.9", "00-11-22-33-44-01");
        grid->answer("192.168.100.200", "00-11-22-33-44-02");
        grid->table.addEmptyRow();  // a free row: no IP
        grid->view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid->view));
        grid->view.setFocus();
    }
    void cleanup() { grid.reset(); }

    void doubleClickAndEnterOpenTheRowsPage()
    {
        const QRect second = grid->view.visualRect(grid->view.model()->index(1, 5));
        QTest::mouseClick(grid->view.viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(grid->view.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(catcher.urls, QList<QUrl>({QUrl("http://192.168.100.200/")}));

        grid->view.setCurrentIndex(grid->view.model()->index(0, 2));
        QTest::keyClick(&grid->view, Qt::Key_Return);
        QTest::keyClick(&grid->view, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(catcher.urls.size(), 3);
        QCOMPARE(catcher.urls.at(1), QUrl("http://10.0.0.9/"));
        QCOMPARE(catcher.urls.at(2), QUrl("http://10.0.0.9/"));
    }

    void rowWithoutAddressOpensNothing()
    {
        const QRect free = grid->view.visualRect(grid->view.model()->index(2, 1));
        QTest::mouseClick(grid->view.viewport(), Qt::LeftButton, {}, free.center());
        QTest::mouseDClick(grid->view.viewport(), Qt::LeftButton, {}, free.center());
        grid->view.setCurrentIndex(grid->view.model()->index(2, 1));
        QTest::keyClick(&grid->view, Qt::Key_Return);
        QVERIFY(!grid->actions->openCurrentWebPage());
        QVERIFY(catcher.urls.isEmpty());
        QCOMPARE(DeviceActions::webPageUrl("not an address\n"), QUrl());
        QCOMPARE(DeviceActions::webPageUrl("10.1.2.3\n"), QUrl("http://10.1.2.3/"));
        QCOMPARE(DeviceActions::webPageUrl("10.1.2.3\n", "https"), QUrl("https://10.1.2.3/"));
    }

    void contextMenuOpensFromMouseAndKeyboard()
    {
        QMenu *menu = grid->actions->contextMenu();
        grid->view.setCurrentIndex(grid->view.model()->index(1, 0));

        QTest::keyClick(&grid->view, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(menu->isVisible());
        // Placed at the current row, not wherever the mouse happens to be.
        const QRect row = grid->view.visualRect(grid->view.currentIndex());
        QCOMPARE(menu->pos(), grid->view.viewport()->mapToGlobal(row.bottomLeft()));
        QVERIFY(menu->actions().constFirst()->isEnabled());
        QTest::keyClick(menu, Qt::Key_Down);
        QCOMPARE(menu->activeAction(), menu->actions().constFirst());
        QTest::keyClick(menu, Qt::Key_Return);  // Open web page
        QTRY_VERIFY(!menu->isVisible());
        QCOMPARE(catcher.urls, QList<QUrl>({QUrl("http://192.168.100.200/")}));

        // What the platform sends for the Menu key.
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), grid->view.mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(&grid->view, &menuKey);
        QTRY_VERIFY(menu->isVisible());
        menu->close();

        // A right click on the free row: nothing there to open or copy.
        const QRect free = grid->view.visualRect(grid->view.model()->index(2, 1));
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, free.center(),
                                     grid->view.viewport()->mapToGlobal(free.center()));
        grid->view.setCurrentIndex(grid->view.model()->index(2, 1));
        grid->view.clearSelection();
        QCoreApplication::sendEvent(grid->view.viewport(), &rightClick);
        QTRY_VERIFY(menu->isVisible());
        QStringList enabled;
        for (QAction *action : menu->actions()) {
            if (action->isEnabled() && !action->isSeparator())
                enabled << action->text();
        }
        QCOMPARE(enabled, QStringList({"Copy &all", "&Save list…"}));
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
        // Closed, every action answers its shortcut again.
        for (QAction *action : menu->actions())
            QVERIFY(action->isEnabled());
    }

private:
    UrlCatcher catcher;
    std::unique_ptr<DeviceGrid> grid;
};

QTEST_MAIN(TestDeviceWebPage)
#include "test_device_web_page.moc"
