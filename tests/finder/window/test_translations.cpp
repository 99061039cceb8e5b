// Under a Simplified Chinese system locale the texts this finder adds are
// Chinese; the window's fixed texts stay exactly as they are.
#include "devicelist/site_report.h"
#include "finder/window/app_translations.h"
#include "finder/window/count_tool_tip.h"
#include "finder/window/device_actions.h"
#include "finder/window/device_sorting.h"
#include "finder/window/main_window.h"
#include "finder/window/no_reply_placeholder.h"
#include "tests/support/test_finder_loopback.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include <algorithm>

namespace {

bool isChinese(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.script() == QChar::Script_Han; });
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
        installTranslations(*QApplication::instance());
    }

    void addedTextsAreChineseFixedTextsAreNot()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        MainWindow window(devices.finderSettings());
        auto *grid = window.findChild<QTableView *>("MSFlexGrid1");
        auto *menu = grid->findChild<QMenu *>("deviceContextMenu");
        QVERIFY(menu);
        QStringList entries;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                entries << action->text();
        }
        // With Watch, its interval, its events, Compare with list…, Recent
        // plans, Save report…, the command to reach a device in another
        // subnet, and Interfaces.
        QCOMPARE(entries.size(), 16);
        for (const QString &entry : entries)
            QVERIFY2(isChinese(entry), qPrintable(entry));
        QCOMPARE(entries.constFirst(), "打开网页(&O)");

        QVERIFY(isChinese(NoReplyPlaceholder::composeText({"eth0 (192.168.1.20/24)"})));
        QVERIFY(isChinese(window.findChild<QLineEdit *>("filterField")->placeholderText()));
        QVERIFY(isChinese(window.findChild<QAction *>("resetLayoutAction")->text()));
        QVERIFY(isChinese(answerCountToolTip(3, 2)));
        for (const SiteReport::Table &table : SiteReport::build({}, SitePlan(), {}).tables)
            QVERIFY2(isChinese(table.title), qPrintable(table.title));
        grid->findChild<DeviceSorting *>()->sortBy(1, Qt::AscendingOrder);
        QVERIFY(isChinese(grid->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString()));
        QVERIFY(isChinese(grid->model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString()));

        devices.answer(LoopbackDevices::reply(1));
        devices.answer(LoopbackDevices::reply(1));
        auto *label = window.findChild<QLabel *>("tFoundDevice");
        QTRY_COMPARE(label->text(), " 2 device found");
        QCOMPARE(label->findChild<CountToolTip *>()->text(), "来自 1 台设备的 2 个应答");
        QVERIFY(isChinese(grid->model()->index(1, 0).data(Qt::ToolTipRole).toString()));

        QCOMPARE(window.windowTitle(), "Veltrin(V 1.0)");
        QCOMPARE(window.findChild<QAbstractButton *>("cmdRefresh")->text(), "&Refresh");
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), "IP Address          ");
        QCOMPARE(grid->model()->headerData(5, Qt::Horizontal).toString(), "Description                ");
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
