// Compare with list… in the window, under zh_CN: loopback devices answer,
// the comparison takes the window's one grid with its sort, filter, status
// toggles and exports, and leaving gives the table back as it was. A
// compared plan is read again as it changes, its columns are chosen where
// its header names none the finder knows, and the hand-over report is saved.
#include "devicelist/site_report.h"
#include "devicelist/site_rows.h"
#include "discovery/discovery_endpoint.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"
#include "finder/window/answer_mark_style.h"
#include "finder/window/app_translations.h"
#include "finder/window/device_actions.h"
#include "finder/window/device_sorting.h"
#include "finder/window/filter_bar.h"
#include "finder/window/main_window.h"
#include "finder/window/plan_columns_dialog.h"
#include "finder/window/recent_plans.h"
#include "finder/window/report_saver.h"
#include "finder/window/site_watch.h"
#include "finder/window/status_strip.h"
#include "finder/window/watch_event_log.h"
#include "tests/support/test_finder_loopback.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

struct SilentView : FinderView
{
    void datagramHandled(const QString &, int) override {}
    void reportFailure(const EndpointError &) override {}
};

// A window's table, grid and count label, with Watch and Compare over them.
struct Site
{
    DeviceTable table;
    SilentView view;
    DiscoveryEndpoint endpoint;
    FinderController controller{view, &table, endpoint};
    QWidget window;
    QTableView *grid = new QTableView(&window);
    QLabel *label = new QLabel(u" 3 device found"_s, &window);
    DeviceSorting *sorting = new DeviceSorting(*grid, table);
    SiteWatch *watch = new SiteWatch(controller, table, *sorting, *grid, *label);

    Site()
    {
        table.setHeaderFormat(DeviceTable::HeaderFormat);
        window.resize(900, 500);
        grid->setGeometry(0, 0, 800, 400);
        label->setGeometry(10, 420, 150, 20);
        window.show();
    }

    void answer(const QString &mac, const QString &ip, const QString &description = u"Gate"_s)
    {
        DeviceReply reply;
        reply.accepted = true;
        reply.macAddress = mac + u'\n';
        reply.serialNumber = u"000005050378\n"_s;
        reply.swVersion = u"1.0\n"_s;
        reply.description = description;
        QVERIFY(table.fillDeviceRow(reply, ip));
    }
};

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

const QByteArray Plan = "Location,MAC,IP\nGate,020000000001,10.0.0.1\nHall,02:00:00:00:00:02,10.0.0.2\n"
                        "Lift,02-00-00-00-00-03,10.0.0.3\n";

} // namespace

class TestSiteCompare : public QObject
{
    Q_OBJECT

    // The keywords of the grid's rows, top to bottom.
    static QStringList statuses(const QTableView &grid)
    {
        QStringList keywords;
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            keywords << grid.model()->index(row, SiteViewModel::StatusColumn).data(DeviceRoles::ReceivedText).toString();
        return keywords;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
        installTranslations(*QApplication::instance());
    }
    void init() { QSettings().clear(); }

    void comparesInTheOneGridAndReturnsToTheTable()
    {
        LoopbackDevices devices;
        QVERIFY(devices.isReady());
        MainWindow window(devices.finderSettings());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *const grid = window.findChild<QTableView *>(u"MSFlexGrid1"_s);
        auto *const label = window.findChild<QLabel *>(u"tFoundDevice"_s);
        auto *const filter = window.findChild<QLineEdit *>(u"filterField"_s);
        auto *const shownCount = window.findChild<QLabel *>(u"shownCount"_s);
        auto *const watch = window.findChild<SiteWatch *>();
        for (int n = 1; n <= 3; ++n)
            devices.answer(LoopbackDevices::reply(n));
        QTRY_COMPARE(label->text(), u" 3 device found"_s);
        // The table as the user left it: filtered to two rows, the second current.
        filter->setText(u"44-0"_s);
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QTemporaryDir dir;

        QVERIFY(watch->compareWith(writeFile(dir, u"bad.csv"_s, "Name,Room\nA,1\n")).startsWith(u"Line 1: no column"_s));
        // A spreadsheet's own file: how to save it as CSV.
        QVERIFY(watch->compareWith(writeFile(dir, u"plan.xlsx"_s, "PK")).startsWith(u"This is a spreadsheet, not a CSV file."_s));
        QVERIFY(!watch->isShown());
        // Gate as planned, Hall moved, Lift never answers (planned by a
        // serial with leading zeros); the third device is not planned.
        const QString plan = writeFile(dir, u"plan.csv"_s,
                                       "Location,MAC,Serial,IP,Version\nGate,001122334401,,127.0.0.1,V1.0.2\n"
                                       "Hall,00:11:22:33:44:02,,10.0.0.2,\nLift,02-00-00-00-00-03,002303150114,10.0.0.3,2.0\n");
        QCOMPARE(watch->compareWith(plan), QString());
        auto *const strip = window.findChild<StatusStrip *>();
        QVERIFY(strip->isVisible());
        QCOMPARE(filter->text(), QString());   // the site view's own filter
        QCOMPARE(statuses(*grid), (QStringList{u"answered"_s, u"differs"_s, u"missing"_s, u"unexpected"_s}));
        QCOMPARE(watch->summary().missing, 1);
        QVERIFY(strip->summary().contains(u"2"_s) && strip->summary().contains(u"3"_s));
        QVERIFY(strip->toggle(SiteRow::Status::Missing)->text().endsWith(u" 1"_s));
        // The missing station's serial as the table shows serials; the
        // mark beside its status, its text readable on its tint.
        QCOMPARE(grid->model()->index(2, DeviceTable::SerialColumn).data().toString(), u"23-0315-0114"_s);
        QCOMPARE(grid->model()->index(1, SiteViewModel::StatusColumn).data().toString(),
                 SiteViewModel::tr("differs: %1").arg(SiteRows::differencesText(SitePlan::IpDiffers)));
        QVERIFY(grid->model()->index(2, 0).data(DeviceRoles::Attention).toBool());
        // Gate's planned "V1.0.2" matched as 1.0.2, and its tooltip says so.
        QVERIFY(grid->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains(
                SiteViewModel::tr("Matched the planned version without its leading \"v\"")));
        QVERIFY(window.findChild<QToolButton *>(u"missingToggle"_s)->isVisible());
        for (const QPalette &palette : {QPalette(Qt::white), QPalette(QColor(30, 30, 30))}) {
            QVERIFY(AnswerMarkStyle::contrastRatio(AnswerMarkStyle::attentionText(palette),
                                                   AnswerMarkStyle::attentionBackground(palette))
                    >= AnswerMarkStyle::MinTextContrast);
        }

        // Maximised, the grid takes the room under the strip; nothing covers it.
        window.showMaximized();
        QTRY_VERIFY(grid->width() > 1000);
        QVERIFY(strip->geometry().bottom() < grid->geometry().top());
        QVERIFY(label->geometry().top() > grid->geometry().bottom());
        QVERIFY(shownCount->geometry().top() > grid->geometry().bottom());

        // Sorted by status, with the arrow; Tab reaches the filter; the filter
        // and the toggles narrow the compared rows, and "showing" counts them.
        QHeaderView *const header = grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(SiteViewModel::StatusColumn) + 5, header->height() / 2));
        QCOMPARE(header->sortIndicatorSection(), int(SiteViewModel::StatusColumn));
        QVERIFY(header->isSortIndicatorShown());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), filter);
        QTest::keyClicks(filter, u"Lift"_s);
        QCOMPARE(statuses(*grid), QStringList{u"missing"_s});
        QTRY_COMPARE(shownCount->text(), FilterBar::tr("showing %1 of %2").arg(1).arg(4));
        filter->clear();
        strip->toggle(SiteRow::Status::Missing)->click();
        strip->toggle(SiteRow::Status::Unexpected)->click();
        QCOMPARE(statuses(*grid).size(), 2);
        strip->toggle(SiteRow::Status::Unexpected)->click();
        QCOMPARE(statuses(*grid), QStringList{u"missing"_s});

        // The punch list: the rows shown, under a header that names every
        // cell, the status as a keyword whatever the language.
        auto *const actions = grid->findChild<DeviceActions *>();
        actions->copyAll();
        const QString header1 = SiteRows::exportHeader().join(u'\t');
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 header1 + u"\n\t10.0.0.3\t002303150114\t02-00-00-00-00-03\t2.0\tLift\tmissing\t\t10.0.0.3\t2.0\n"_s);
        const QString saved = dir.filePath(u"missing.csv"_s);
        QCOMPARE(actions->writeList(saved), QString());
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "\xEF\xBB\xBF" + SiteRows::exportHeader().join(u',').toUtf8()
                                         + "\r\n,10.0.0.3,002303150114,02-00-00-00-00-03,2.0,Lift,missing,,10.0.0.3,2.0\r\n");

        // Back to the table as it was: its filter, its current row, its label.
        watch->leave();
        QVERIFY(!strip->isVisible());
        QCOMPARE(filter->text(), u"44-0"_s);
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(label->text(), u" 3 device found"_s);
        QVERIFY(label->geometry().top() > grid->geometry().bottom());
        // The next comparison has its summary, and the toggles are all off.
        QCOMPARE(watch->compareWith(plan), QString());
        QVERIFY(!strip->summary().isEmpty());
        QCOMPARE(grid->model()->rowCount(), 4);
        watch->leave();
    }

    // The watch's events: the first round as one line, then one per event;
    // saved with the events' keywords whatever the language, device text
    // escaped for CSV.
    void eventsSaveAsKeywords()
    {
        QWidget window;
        WatchEventLog log(&window);
        log.addFirstRound(405, 0);
        DeviceRoster::Entry entry;
        entry.values = {u"10.0.0.7"_s, u"1"_s, u"02-00-00-00-00-07"_s, u"2.0"_s, u"=Gate, \"east\""_s};
        log.addEvent(DeviceRoster::Event::Gone, entry, 60000);
        entry.previous[DeviceRecord::Ip] = u"10.0.0.6"_s;
        entry.changedFields = 1u << DeviceRecord::Ip;
        log.addEvent(DeviceRoster::Event::Back, entry, 120000);
        QCOMPARE(log.list()->topLevelItemCount(), 3);
        QVERIFY(log.list()->topLevelItem(1)->text(0).contains(u'-'));   // a date, not only a time
        const QList<QByteArray> lines = log.csv().split('\n');
        QCOMPARE(lines.value(0), "time,event,ip,mac,description,details\r");
        QVERIFY(lines.value(1).contains(",first_round,,,,405\r"));
        QVERIFY(lines.value(2).endsWith(",gone,10.0.0.7,02-00-00-00-00-07,\"'=Gate, \"\"east\"\"\",\r"));
        QVERIFY(lines.value(3).contains(",back,10.0.0.7,") && lines.value(3).endsWith(",ip: 10.0.0.6 \u2192 10.0.0.7\r"));
    }

    // While Compare is on, a refresh and a changed plan file are compared
    // again without asking; a plan that can no longer be read is said, and
    // the one read last stays compared.
    void comparesAgainAsThePlanChanges()
    {
        Site site;
        site.answer(u"02-00-00-00-00-01"_s, u"10.0.0.1"_s);
        QTemporaryDir dir;
        const QString plan = writeFile(dir, u"plan.csv"_s, Plan);
        QCOMPARE(site.watch->compareWith(plan), QString());
        StatusStrip *const strip = site.watch->statusStrip();
        QCOMPARE(strip->summaryNote(),
                 SiteWatch::tr("Columns used: %1").arg(u"MAC ← column B 'MAC'; IP ← C 'IP'; name ← A 'Location'"_s));
        const auto summary = [](qsizetype planned, qsizetype answered) {
            return SiteReport::summaryText({planned, answered, planned - answered, 0, 0}, QLocale());
        };

        site.watch->beforeRefresh();
        site.table.emptyRows();
        QTRY_COMPARE(strip->summary(), summary(3, 0));
        QVERIFY(site.watch->isShown());

        writeFile(dir, u"plan.csv"_s, Plan + "Roof,02-00-00-00-00-04,10.0.0.4\n");
        QFile(plan).setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        site.answer(u"02-00-00-00-00-01"_s, u"10.0.0.1"_s);
        QTRY_COMPARE(strip->summary(), summary(4, 1));

        QVERIFY(QFile::remove(plan));
        site.answer(u"02-00-00-00-00-02"_s, u"10.0.0.2"_s);
        QTRY_COMPARE(strip->summary(), summary(4, 2) + u" · "_s + SiteWatch::tr("the list cannot be read now"));
        QCOMPARE(site.watch->model().rows().size(), 4);
        QCOMPARE(strip->summaryNote().section(u'\n', 1),
                 SiteWatch::tr("The list cannot be read now; the one read last is compared: %1")
                         .arg(SitePlan::load(plan).error()));

        // The table as the refresh left it.
        site.watch->leave();
        QCOMPARE(site.label->text(), u" 2 device found"_s);
        QVERIFY(!strip->isVisible());
    }

    // A header the finder does not know: the columns are chosen in a
    // dialog, and the choice is kept for that header. Recent plans lists
    // the plans compared, the latest first.
    void choosesColumnsAndRemembersPlans()
    {
        Site site;
        site.answer(u"02-00-00-00-00-01"_s, u"10.0.0.1"_s);
        QTemporaryDir dir;
        const QByteArray header = "Wohnung;Hardware;Bemerkung\n";
        const QString plan = writeFile(dir, u"hardware.csv"_s, header + "EG;02-00-00-00-00-01;\nOG;02-00-00-00-00-05;neu\n");
        site.watch->openPlan(plan);
        auto *const dialog = site.window.findChild<PlanColumnsDialog *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->box(PlanColumns::Field::Name)->currentText(), u"A 'Wohnung'"_s);
        QPushButton *const ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());
        dialog->box(PlanColumns::Field::Mac)->setCurrentText(u"B 'Hardware'"_s);
        QVERIFY(ok->isEnabled());
        ok->click();
        QCOMPARE(statuses(*site.grid), (QStringList{u"answered"_s, u"missing"_s}));

        const QString next = writeFile(dir, u"hardware-2.csv"_s, header + "EG;02-00-00-00-00-01;\n");
        QCOMPARE(site.watch->compareWith(next), QString());
        QCOMPARE(statuses(*site.grid), QStringList{u"answered"_s});

        RecentPlans *const recent = site.watch->recentPlans();
        QCOMPARE(recent->paths(), (QStringList{next, plan}));
        QCOMPARE(recent->folder(), dir.path());
        const QList<QAction *> entries = recent->menu()->actions();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1]->text(), u"&2 hardware.csv"_s);
        site.watch->leave();
        entries[1]->trigger();
        QVERIFY(site.watch->isShown());
        QCOMPARE(site.watch->planSource().path(), plan);
        QCOMPARE(recent->paths(), (QStringList{plan, next}));
    }

    // The hand-over report's text, read back from its PDF: device and plan
    // text as plain text, escaped as the table shows it.
    void savesTheHandOverReport()
    {
        Site site;
        site.answer(u"02-00-00-00-00-01"_s, u"10.0.0.1"_s);
        site.answer(u"02-00-00-00-00-09"_s, u"10.0.0.9"_s, u"Hall\nB \u202Eevil <b>bold</b>"_s);
        QTemporaryDir dir;
        const QString plan = writeFile(dir, u"Block D.csv"_s, "Location,MAC,IP\nGate,020000000001,10.0.0.1\n"
                                                              "\"电梯\nLift <i>2</i>\",02-00-00-00-00-03,10.0.0.3\n");
        QAction *const save = site.watch->reportAction();
        QVERIFY(!save->isEnabled());
        QCOMPARE(site.watch->compareWith(plan), QString());
        QVERIFY(save->isEnabled());
        const QString pdf = dir.filePath(u"report.pdf"_s);
        QCOMPARE(site.watch->reportSaver()->save(u"Block D <b>"_s, pdf), QString());

        QProcess pdftotext;
        pdftotext.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        QVERIFY2(pdftotext.waitForFinished() && pdftotext.exitCode() == 0, "pdftotext (poppler-utils) failed");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(SiteReport::tr("Hand-over report: %1").arg(u"Block D <b>"_s))
                         && text.contains(SiteReport::summaryText({2, 1, 1, 1, 0}, QLocale())),
                 qPrintable(text));
        QVERIFY(QRegularExpression(u"\n *电梯<U\\+000A>Lift <i>2</i> +02-00-00-00-00-03 +10\\.0\\.0\\.3 *\n"_s)
                        .match(text).hasMatch());
        QVERIFY(text.contains(u"Hall<U+000A>B <U+202E>evil <b>bold</b>"_s));
        QVERIFY(!text.contains(QChar(0x202E)));
        site.watch->leave();
        QVERIFY(!save->isEnabled());
    }
};

QTEST_MAIN(TestSiteCompare)
#include "test_site_compare.moc"
