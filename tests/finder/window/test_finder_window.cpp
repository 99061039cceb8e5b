#include "discovery/discovery_messages.h"
#include "finder/window/main_window.h"
#include "tests/support/test_finder_loopback.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "discovery/broadcast_interfaces.h"
#include "finder/window/column_widths.h"
#include "finder/window/interface_menu.h"
#include "finder/window/single_line_delegate.h"

#include <memory>

namespace {

template<typename T = QWidget>
T *control(const QWidget &window, const char *name)
{
    T *const found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

} // namespace

class TestFinderWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
    }

    void init()
    {
        QSettings().remove(QStringLiteral("layout"));
        QSettings().remove(QStringLiteral("interfaces"));
        devices = std::make_unique<LoopbackDevices>();
        QVERIFY(devices->isReady());
        window = std::make_unique<MainWindow>(devices->finderSettings());
    }
    void cleanup() { window.reset(); }

    void startUpShowsTableButtonAndEmptyLabel()
    {
        QCOMPARE(window->windowTitle(), "Veltrin(V 1.0)");
        QCOMPARE(window->objectName(), "VUDArido");
        QVERIFY(!window->windowIcon().isNull());
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(window->size(), QSize(826, 561));
        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        QCOMPARE(QApplication::focusWidget(), grid);
        for (const char *name : {"MSFlexGrid1", "cmdRefresh", "tFoundDevice"})
            QVERIFY2(control(*window, name)->isVisible(), name);
        for (const char *name : {"Label1", "Label2", "Text1", "Text2"})
            QVERIFY2(!control(*window, name)->isVisible(), name);

        QCOMPARE(control<QLabel>(*window, "tFoundDevice")->text(), QString());
        QCOMPARE(control<QLabel>(*window, "Label1")->text(), "PC-->DEVICE");
        QCOMPARE(control<QLabel>(*window, "Label2")->text(), "DEVICE-->PC");
        QCOMPARE(control<QPlainTextEdit>(*window, "Text1")->toPlainText(), "Text1");
        QCOMPARE(control<QLineEdit>(*window, "Text2")->text(), QString::fromUtf16(RequestText));
        auto *button = control<QToolButton>(*window, "cmdRefresh");
        QCOMPARE(button->text(), "&Refresh");
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(!button->icon().isNull());

        QCOMPARE(grid->font().pointSizeF(), 9.0);
        QCOMPARE(control<QLabel>(*window, "tFoundDevice")->font().pointSizeF(), 10.5);
        QVERIFY(grid->verticalHeader()->isHidden());
        const QHeaderView *header = grid->horizontalHeader();
        QCOMPARE(header->count(), 6);
        const QList<int> needed = headerSectionWidths(*const_cast<QHeaderView *>(header));
        for (int column = 0; column < header->count(); ++column)
            QVERIFY2(header->sectionSize(column) >= needed[column], "header text or sort arrow cut");
    }

    void controlGeometry_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::newRow("MSFlexGrid1") << QRect(0, 0, 721, 529);
        QTest::newRow("cmdRefresh") << QRect(736, 40, 73, 89);
        QTest::newRow("Label1") << QRect(768, 248, 113, 33);
        QTest::newRow("Text2") << QRect(752, 288, 385, 49);
        QTest::newRow("Label2") << QRect(760, 352, 113, 33);
        QTest::newRow("Text1") << QRect(760, 384, 369, 81);
    }

    void controlGeometry()
    {
        QFETCH(QRect, rect);
        QCOMPARE(control(*window, QTest::currentDataTag())->geometry(), rect);
    }

    void keyboardRunsRefresh()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto *label = control<QLabel>(*window, "tFoundDevice");
        devices->answer(LoopbackDevices::reply(1));
        QTRY_COMPARE(label->text(), " 1 device found");

        QTest::keyClick(control(*window, "MSFlexGrid1"), Qt::Key_R, Qt::AltModifier);
        QTRY_COMPARE(label->text(), QString());
        // The count follows a round of datagrams; a refresh before it shows drops it.
        window->datagramHandled("x", 5);
        window->resultsCleared();
        QCoreApplication::processEvents();
        QCOMPARE(label->text(), QString());
        QTRY_COMPARE(devices->requests().size(), 2);
        // Enter and Space press the focused button, as on any push button.
        auto *button = control(*window, "cmdRefresh");
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTRY_COMPARE(devices->requests().size(), 3);
        QTest::keyClick(button, Qt::Key_Space);
        QTRY_COMPARE(devices->requests().size(), 4);
        // F5 refreshes from anywhere in the window.
        QTest::keyClick(control(*window, "MSFlexGrid1"), Qt::Key_F5);
        QTRY_COMPARE(devices->requests().size(), 5);
    }

    // Ctrl+T: the addresses are checked before anything is sent, a good
    // list is remembered and asked along with the broadcast.
    void queryAddressesDialog()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().remove(QStringLiteral("query/targets"));
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTRY_COMPARE(devices->requests().size(), 1);

        QTest::keyClick(control(*window, "MSFlexGrid1"), Qt::Key_T, Qt::ControlModifier);
        QDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = window->findChild<QDialog *>(QStringLiteral("queryAddressesDialog"))));
        auto *edit = control<QLineEdit>(*dialog, "targetEdit");
        QCOMPARE(edit->text(), QString());
        auto *error = control<QLabel>(*dialog, "targetError");
        QCOMPARE(error->textFormat(), Qt::PlainText);

        QTest::keyClicks(edit, QStringLiteral("127.0.0.1, <b>127.0.0.999</b>"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QVERIFY(error->isVisible());
        QCOMPARE(error->text(), QStringLiteral("Not an address, CIDR block or range: \"<b>127.0.0.999</b>\""));
        QTest::qWait(50);
        QCOMPARE(devices->requests().size(), 1);

        edit->setText(QStringLiteral("127.0.0.1"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!window->findChild<QDialog *>(QStringLiteral("queryAddressesDialog")));
        // The refresh's broadcast (here to the loopback device) and the target.
        QTRY_COMPARE(devices->requests().size(), 3);

        // The offscreen platform does not hand activation back by itself.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(control(*window, "MSFlexGrid1"), Qt::Key_T, Qt::ControlModifier);
        QTRY_VERIFY((dialog = window->findChild<QDialog *>(QStringLiteral("queryAddressesDialog"))));
        QCOMPARE(control<QLineEdit>(*dialog, "targetEdit")->text(), QStringLiteral("127.0.0.1"));
        // Selected: typing replaces the last list.
        QCOMPARE(control<QLineEdit>(*dialog, "targetEdit")->selectedText(), QStringLiteral("127.0.0.1"));
        dialog->reject();
        QTest::qWait(50);
        QCOMPARE(devices->requests().size(), 3);
    }

    void replyShownLiterallyAndToScreenReaders()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Line feeds only: the pane shows a CR LF as one line break.
        const QByteArray reply = "mac-address: <b>00-11</b>\nsw-version: 1\nserial-number: 2\n"
                                 "display: 1\ndescription: <i>Gate</i> &amp; <img src=x>";
        devices->answer(reply);
        auto *label = control<QLabel>(*window, "tFoundDevice");
        QTRY_COMPARE(label->text(), " 1 device found");
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QTRY_COMPARE(control<QPlainTextEdit>(*window, "Text1")->toPlainText(), QString::fromLatin1(reply));

        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(grid)->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->cellAt(0, 1)->text(QAccessible::Name), "127.0.0.1");
        QCOMPARE(table->cellAt(0, 3)->text(QAccessible::Name), "<b>00-11</b>\n");
        QCOMPARE(table->cellAt(0, 5)->text(QAccessible::Name), "<i>Gate</i> &amp; <img src=x>");
        // Drawn on one line: the break that ends the value would push it out of the cell.
        const auto *delegate = qobject_cast<QStyledItemDelegate *>(grid->itemDelegate());
        QCOMPARE(delegate->displayText(grid->model()->index(0, 3).data(), QLocale()), "<b>00-11</b>");
        QCOMPARE(delegate->displayText(grid->model()->index(0, 5).data(), QLocale()), "<i>Gate</i> &amp; <img src=x>");

        QStringList headers;
        QAccessibleInterface *tableItem = QAccessible::queryAccessibleInterface(grid);
        for (int i = 0; i < tableItem->childCount(); ++i) {
            if (tableItem->child(i)->role() == QAccessible::ColumnHeader)
                headers << tableItem->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(headers, QStringList({"#  ", "IP Address          ", "Serial Number          ",
                                       "MAC Address         ", " SW Version      ", "Description                "}));
        QCOMPARE(QAccessible::queryAccessibleInterface(window.get())->text(QAccessible::Name), "Veltrin(V 1.0)");
        QCOMPARE(QAccessible::queryAccessibleInterface(control(*window, "cmdRefresh"))->text(QAccessible::Name),
                 "Refresh");
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), " 1 device found");
    }

    // Whatever font the system gives: headers whole, every column as wide as
    // the widest value of its kind, the count label wide enough for five
    // digits without covering the table or the button.
    void layoutHoldsInTheFontUsed()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        const QHeaderView *header = grid->horizontalHeader();
        const QFontMetrics metrics = grid->fontMetrics();
        const int padding = SingleLineDelegate::textPadding(grid);
        const QStringList widest{"32767", "255.255.255.255", "8888-8888-8888", "FF-FF-FF-FF-FF-FF",
                                 "888.888.888.888.888"};
        const QList<int> needed = headerSectionWidths(*const_cast<QHeaderView *>(header));
        for (int column = 0; column < header->count(); ++column) {
            QVERIFY2(header->sectionSize(column) >= needed[column], "header text or sort arrow cut");
            if (column < widest.size()) {
                QVERIFY2(header->sectionSize(column) >= metrics.horizontalAdvance(widest[column]) + padding,
                         qPrintable(widest[column]));
            }
            QCOMPARE(header->sectionResizeMode(column), QHeaderView::Interactive);
        }

        auto *label = control<QLabel>(*window, "tFoundDevice");
        QCOMPARE(label->geometry().topLeft(), QPoint(32, 536));
        QCOMPARE(label->height(), 25);
        QVERIFY(label->width() >= 129);
        QVERIFY(label->geometry().right() < window->width());
        QVERIFY(label->fontMetrics().horizontalAdvance(" 32767 device found") <= label->contentsRect().width());
        QVERIFY(!label->geometry().intersects(grid->geometry()));
        QVERIFY(!label->geometry().intersects(control(*window, "cmdRefresh")->geometry()));
    }

    // Hostile text: drawn with its hidden characters visible and left to
    // right, told whole in a tooltip when its column is too narrow, while the
    // model and screen readers keep the exact text.
    void hiddenCharactersShownAndLongTextInTooltip()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QByteArray description = QByteArray(300, 'w') + "<b>";
        devices->answer("mac-address: \xe2\x80\xae" "55-44-33-22-11-00\nsw-version: 1\xe2\x80\x8b.0\r\n"
                        "serial-number: 1\x1b" "2\ndisplay: 1\ndescription: " + description);
        auto *label = control<QLabel>(*window, "tFoundDevice");
        QTRY_COMPARE(label->text(), " 1 device found");

        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        auto *delegate = qobject_cast<SingleLineDelegate *>(grid->itemDelegate());
        QVERIFY(delegate);
        const QAbstractItemModel *model = grid->model();
        const auto shown = [&](int column) { return delegate->displayText(model->index(0, column).data(), QLocale()); };
        QCOMPARE(shown(3), "<U+202E>55-44-33-22-11-00");
        QCOMPARE(shown(4), "1<U+200B>.0");
        QCOMPARE(shown(2), "1<U+001B>2");
        QCOMPARE(model->index(0, 3).data().toString(), QString::fromUtf8("\xe2\x80\xae" "55-44-33-22-11-00\n"));

        // Even in a right-to-left session, cells run left to right.
        struct Probe : SingleLineDelegate
        {
            using SingleLineDelegate::initStyleOption;
        } probe;
        QStyleOptionViewItem rtl;
        rtl.direction = Qt::RightToLeft;
        probe.initStyleOption(&rtl, model->index(0, 3));
        QCOMPARE(rtl.direction, Qt::LeftToRight);
        QCOMPARE(rtl.text, "<U+202E>55-44-33-22-11-00");

        QStyleOptionViewItem option;
        option.initFrom(grid->viewport());
        option.widget = grid;
        option.rect = grid->visualRect(model->index(0, 1));
        // Fits its column: no tooltip.
        QCOMPARE(delegate->toolTip(option, model->index(0, 1)), QString());
        option.rect = grid->visualRect(model->index(0, 5));
        const QString tip = delegate->toolTip(option, model->index(0, 5));
        QVERIFY2(tip.startsWith(QString(256, u'w') + QChar(0x2026)), qPrintable(tip));
        QVERIFY(tip.contains("Shortened"));
        // Too long for its column, as the escape made it.
        option.rect = grid->visualRect(model->index(0, 3));
        QCOMPARE(delegate->toolTip(option, model->index(0, 3)), "<U+202E>55-44-33-22-11-00");

        QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(grid)->tableInterface();
        QCOMPARE(table->cellAt(0, 3)->text(QAccessible::Name), QString::fromUtf8("\xe2\x80\xae" "55-44-33-22-11-00\n"));
        QCOMPARE(table->cellAt(0, 5)->text(QAccessible::Name),
                 QString(256, u'w') + QChar(0x2026) + QStringLiteral(" (shortened)"));
        // The hidden reply pane keeps the whole reply.
        QTRY_VERIFY(control<QPlainTextEdit>(*window, "Text1")->toPlainText().endsWith(QString::fromLatin1(description)));
    }

    // A double-click on a divider fits the column to its contents and its header.
    void dividerDoubleClickFits()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        devices->answer("mac-address: 1\nsw-version: 1\nserial-number: 2\ndisplay: 1\ndescription: "
                        + QByteArray(120, 'w'));
        QTRY_COMPARE(control<QLabel>(*window, "tFoundDevice")->text(), " 1 device found");
        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        QHeaderView *header = grid->horizontalHeader();
        const int before = header->sectionSize(5);
        const int fits = std::max(static_cast<QAbstractItemView *>(grid)->sizeHintForColumn(5), header->sectionSizeHint(5));
        QVERIFY(fits > before);
        const int divider = header->sectionViewportPosition(5) + header->sectionSize(5) - 1;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(divider, header->height() / 2));
        QTRY_COMPARE(header->sectionSize(5), fits);
    }

    // The table takes what the window gains, the button keeps to the top
    // right, the label to the bottom left; the layout the user left comes
    // back at the next start, and Reset layout returns to the designed one.
    void resizedLayoutRestoredAndReset()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->resize(1000, 700);
        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        QTRY_COMPARE(grid->geometry(), QRect(0, 0, 721 + 174, 529 + 139));
        QCOMPARE(control(*window, "cmdRefresh")->geometry().topLeft(), QPoint(736 + 174, 40));
        QCOMPARE(control(*window, "tFoundDevice")->geometry().topLeft(), QPoint(32, 536 + 139));
        QVERIFY(control(*window, "filterField")->geometry().bottom() < 700);

        QHeaderView *header = grid->horizontalHeader();
        header->hideSection(2);
        header->moveSection(5, 0);
        header->resizeSection(1, 150);
        const QPoint ipHeader(header->sectionViewportPosition(1) + 75, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ipHeader);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ipHeader);
        QVERIFY(window->close());

        window = std::make_unique<MainWindow>(devices->finderSettings());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->size(), QSize(1000, 700));
        grid = control<QTableView>(*window, "MSFlexGrid1");
        header = grid->horizontalHeader();
        QVERIFY(header->isSectionHidden(2));
        QCOMPARE(header->logicalIndex(0), 5);
        QCOMPARE(header->sectionSize(1), 150);
        auto *sorted = qobject_cast<QSortFilterProxyModel *>(grid->model());
        QVERIFY(sorted);
        QCOMPARE(sorted->sortColumn(), 1);
        QCOMPARE(sorted->sortOrder(), Qt::DescendingOrder);

        window->findChild<QAction *>(QStringLiteral("resetLayoutAction"))->trigger();
        QTRY_COMPARE(window->size(), QSize(826, 561));
        QCOMPARE(grid->geometry(), QRect(0, 0, 721, 529));
        QCOMPARE(header->hiddenSectionCount(), 0);
        QCOMPARE(header->logicalIndex(0), 0);
        QVERIFY(!qobject_cast<QSortFilterProxyModel *>(grid->model()));
        QVERIFY(!QSettings().contains(QStringLiteral("layout/geometry")));
    }

    // The header's own menu shows and hides columns; the device menu stays shut.
    void headerRightClickOpensColumnMenu()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QHeaderView *header = control<QTableView>(*window, "MSFlexGrid1")->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, header->viewport()->mapToGlobal(at));
        QApplication::sendEvent(header->viewport(), &event);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = window->findChild<QMenu *>(QStringLiteral("columnMenu"))) && menu->isVisible());
        QVERIFY(!window->findChild<QMenu *>(QStringLiteral("deviceContextMenu"))->isVisible());
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 6 + 2 + 2);
        QCOMPARE(actions[1]->text(), "IP Address");
        actions[1]->trigger();
        QVERIFY(header->isSectionHidden(1));
        QCOMPARE(actions.last()->objectName(), "resetLayoutAction");
        menu->close();

        // The optional origin columns come after the six, the one asked for
        // shown; copies and saves keep the six.
        devices->answer(LoopbackDevices::reply(1));
        QTRY_COMPARE(control<QLabel>(*window, "tFoundDevice")->text(), " 1 device found");
        QCOMPARE(actions[6]->text(), "Interface");
        QCOMPARE(actions[7]->text(), "Time of reply");
        actions[6]->trigger();
        QCOMPARE(header->count(), 8);
        QVERIFY(!header->isSectionHidden(6));
        QVERIFY(header->isSectionHidden(7));
        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        QCOMPARE(grid->model()->index(0, 6).data().toString(), "lo");
        const auto deviceActions = window->findChild<QMenu *>(QStringLiteral("deviceContextMenu"))->actions();
        const auto copyAll = std::find_if(deviceActions.begin(), deviceActions.end(), [](const QAction *a) {
            return a->shortcut() == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
        });
        QVERIFY(copyAll != deviceActions.end());
        (*copyAll)->trigger();
        const QStringList copied = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(copied.size(), 2);
        for (const QString &line : copied)
            QCOMPARE(line.count(u'\t'), 5);
        window->findChild<QAction *>(QStringLiteral("resetLayoutAction"))->trigger();
        QCOMPARE(header->count(), 6);
    }

    // Tab walks table, filter, Refresh; the filter narrows the rows shown and
    // tells how many while the count label keeps counting them all.
    void tabOrderAndFilter()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto *grid = control<QTableView>(*window, "MSFlexGrid1");
        auto *filter = control<QLineEdit>(*window, "filterField");
        auto *label = control<QLabel>(*window, "tFoundDevice");
        auto *shown = control<QLabel>(*window, "shownCount");
        for (int n = 1; n <= 3; ++n)
            devices->answer(LoopbackDevices::reply(n));
        QTRY_COMPARE(label->text(), " 3 device found");
        QCOMPARE(QApplication::focusWidget(), grid);
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), filter);
        QTest::keyClick(filter, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control(*window, "cmdRefresh"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);

        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), filter);
        QVERIFY(!shown->isVisible());
        const QString mac = grid->model()->index(1, 3).data().toString().trimmed();
        QTest::keyClicks(filter, mac.toLower().remove(QLatin1Char('-')));
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->model()->index(0, 3).data().toString().trimmed(), mac);
        QTRY_COMPARE(shown->text(), "showing 1 of 3");
        QVERIFY(shown->isVisible());
        QCOMPARE(label->text(), " 3 device found");
        // Copy all and Save take the rows shown, and say so.
        QStringList entries;
        for (const QAction *action : window->findChild<QMenu *>(QStringLiteral("deviceContextMenu"))->actions())
            entries << action->text();
        QVERIFY(entries.contains("Copy &all shown"));
        QTest::keyClick(filter, Qt::Key_Escape);
        QCOMPARE(filter->text(), QString());
        QCOMPARE(grid->model()->rowCount(), 3);
        QVERIFY(!shown->isVisible());
    }

    // Names kept, names up now, one toggled: what is sent through, and kept.
    void interfaceChoiceKept_data()
    {
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QStringList>("inEffect");
        QTest::addColumn<QStringList>("keptAfter");
        const QStringList none;
        QTest::newRow("all, one off") << none << "eth1" << false << none << QStringList{"eth0", "wlan0"};
        QTest::newRow("last back on: all") << QStringList{"eth0", "wlan0"} << "eth1" << true
                                           << QStringList{"eth0", "wlan0"} << none;
        QTest::newRow("one more on") << QStringList{"eth0"} << "wlan0" << true << QStringList{"eth0"}
                                     << QStringList{"eth0", "wlan0"};
        QTest::newRow("one away kept") << QStringList{"wlan0", "usb0"} << "eth0" << true << QStringList{"wlan0"}
                                       << QStringList{"wlan0", "eth0", "usb0"};
        QTest::newRow("all away: all in effect") << QStringList{"usb0"} << "eth1" << false << none
                                                 << QStringList{"eth0", "wlan0", "usb0"};
    }
    void interfaceChoiceKept()
    {
        QFETCH(QStringList, kept);
        QFETCH(QString, name);
        QFETCH(bool, checked);
        QFETCH(QStringList, inEffect);
        QFETCH(QStringList, keptAfter);
        const QStringList up{"eth0", "eth1", "wlan0"};
        QCOMPARE(InterfaceSelection::inEffect(kept, up), inEffect);
        QCOMPARE(InterfaceSelection::toggled(kept, up, name, checked), keptAfter);
    }

    // The interfaces up here, each with its subnets; the kept choice reaches
    // the endpoint as the window is made, before its first request.
    void interfacesMenuListsAndRestoresChoice()
    {
        const QList<BroadcastInterface> up = broadcastInterfaces();
        QSettings().setValue(QStringLiteral("interfaces"), QStringList{up.value(0).name, "gone0"});
        window = std::make_unique<MainWindow>(devices->finderSettings());
        const QStringList chosen = up.isEmpty() ? QStringList() : QStringList{up[0].name};
        QCOMPARE(window->endpoint().settings().interfaceNames, chosen);
        auto *menu = window->findChild<QMenu *>(QStringLiteral("interfacesMenu"));
        QVERIFY(window->findChild<QMenu *>(QStringLiteral("deviceContextMenu"))->actions().contains(menu->menuAction()));
        Q_EMIT menu->aboutToShow();
        const QList<QAction *> entries = menu->actions();
        if (up.isEmpty()) {
            QCOMPARE(entries.size(), 1);
            QVERIFY(!entries[0]->isEnabled());
        } else {
            QCOMPARE(entries.size(), up.size());
            for (int i = 0; i < up.size(); ++i) {
                QVERIFY2(entries[i]->text().startsWith(up[i].name + " ("), qPrintable(entries[i]->text()));
                QCOMPARE(entries[i]->text().count('/'), up[i].subnets.size());
                QCOMPARE(entries[i]->isChecked(), i == 0);
            }
            // The only one checked cannot be unchecked.
            QVERIFY(!entries[0]->isEnabled());
        }

        // None of those kept is up: the broadcast goes out on all.
        QSettings().setValue(QStringLiteral("interfaces"), QStringList{"gone0"});
        window = std::make_unique<MainWindow>(devices->finderSettings());
        QVERIFY(window->endpoint().settings().interfaceNames.isEmpty());
        window->findChild<QAction *>(QStringLiteral("resetLayoutAction"))->trigger();
        QVERIFY(QSettings().contains(QStringLiteral("interfaces")));
    }

    // The full table's notice: once a refresh, though every drop is told.
    void fullTableSaidOnce()
    {
        window->resultsFull(1);
        window->resultsFull(2);
        const auto *box = window->findChild<QMessageBox *>(QStringLiteral("warningDialog"));
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(), "The table is full: it holds 32767 replies, the most it can. Later replies are not "
                              "shown until the next refresh.");
    }

private:
    std::unique_ptr<LoopbackDevices> devices;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(TestFinderWindow)
#include "test_finder_window.moc"
