// Compare with list… in the window, without a network: the table is filled
// by hand and the controller never sends.
#include "finder/window/device_actions.h"
#include "discovery/discovery_endpoint.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"
#include "finder/window/plan_columns_dialog.h"
#include "finder/window/recent_plans.h"
#include "finder/window/report_saver.h"
#include "finder/window/site_watch.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

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
    SiteWatch watch{controller, table, *grid, *label};

    Site()
    {
        table.setHeaderFormat(DeviceTable::HeaderFormat);
        window.resize(900, 500);
        grid->setModel(&table);
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

    QStringList statuses() const
    {
        QStringList statuses;
        for (const SiteViewModel::Row &row : watch.model().rows())
            statuses << row.status;
        return statuses;
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

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    void comparesAndReturnsToTheTable()
    {
        Site site;
        site.answer(u"02-00-00-00-00-01"_s, u"10.0.0.1"_s);
        site.answer(u"02-00-00-00-00-02"_s, u"10.0.0.22"_s);
        site.answer(u"02-00-00-00-00-09"_s, u"10.0.0.9"_s);
        SiteWatch &watch = site.watch;
        QTableView *const grid = site.grid;
        QLabel *const label = site.label;

        QTemporaryDir dir;
        QVERIFY(watch.compareWith(writeFile(dir, u"bad.csv"_s, "Name,Room\nA,1\n")).startsWith(u"Line 1: no column"_s));
        // A spreadsheet's own file: how to save it as CSV.
        QVERIFY(watch.compareWith(writeFile(dir, u"plan.xlsx"_s, "PK")).startsWith(u"This is a spreadsheet, not a CSV file."_s));
        QVERIFY(grid->isVisible());
        QVERIFY(!watch.view()->isVisible());

        const QString plan = writeFile(dir, u"plan.csv"_s, Plan);
        QCOMPARE(watch.compareWith(plan), QString());
        QVERIFY(watch.view()->isVisible());
        QVERIFY(!grid->isVisible());
        QCOMPARE(site.statuses(), (QStringList{u"answered"_s, u"differs"_s, u"unexpected"_s, u"missing"_s}));
        QCOMPARE(watch.model().rows().first().cells[DeviceTable::SerialColumn], u"000005050378"_s);   // as received
        QVERIFY(watch.model().rows().last().greyed);
        QCOMPARE(label->text(), u"2 of 3 planned devices answered \u00b7 1 missing \u00b7 1 unexpected \u00b7 1 differ"_s);

        // Saved with a status column.
        const QString saved = dir.filePath(u"compared.csv"_s);
        DeviceActions *const actions = watch.view()->findChild<DeviceActions *>();
        QVERIFY(actions);
        QCOMPARE(actions->writeList(saved), QString());
        QFile written(saved);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = written.readAll().split('\n');
        QVERIFY(lines.value(0).endsWith("Description,Status\r"));
        QVERIFY(lines.value(2).endsWith(",differs\r"));

        watch.leave();
        QVERIFY(grid->isVisible());
        QVERIFY(!watch.view()->isVisible());
        QCOMPARE(label->text(), u" 3 device found"_s);
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
        QString note;
        connect(&site.watch, &SiteWatch::planNoteChanged, this, [&note](const QString &text) { note = text; });
        QCOMPARE(site.watch.compareWith(plan), QString());
        QCOMPARE(note, u"Columns used: MAC ← column B 'MAC'; IP ← C 'IP'; name ← A 'Location'"_s);

        site.watch.beforeRefresh();
        site.table.emptyRows();
        QTRY_COMPARE(site.label->text(), u"0 of 3 planned devices answered · 3 missing · 0 unexpected · 0 differ"_s);
        QVERIFY(site.watch.view()->isVisible());

        writeFile(dir, u"plan.csv"_s, Plan + "Roof,02-00-00-00-00-04,10.0.0.4\n");
        QFile(plan).setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        site.answer(u"02-00-00-00-00-01"_s, u"10.0.0.1"_s);
        QTRY_COMPARE(site.label->text(), u"1 of 4 planned devices answered · 3 missing · 0 unexpected · 0 differ"_s);

        QVERIFY(QFile::remove(plan));
        site.answer(u"02-00-00-00-00-02"_s, u"10.0.0.2"_s);
        QTRY_COMPARE(site.label->text(), u"2 of 4 planned devices answered · 2 missing · 0 unexpected · 0 differ"
                                         u" · the list cannot be read now"_s);
        QCOMPARE(site.watch.model().rows().size(), 4);
        QVERIFY2(note.endsWith(u"the one read last is compared: No such file or directory"_s), qPrintable(note));

        // The table as the refresh left it.
        site.watch.leave();
        QCOMPARE(site.label->text(), u" 2 device found"_s);
        QVERIFY(note.isEmpty());
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
        site.watch.openPlan(plan);
        auto *const dialog = site.window.findChild<PlanColumnsDialog *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->box(PlanColumns::Field::Name)->currentText(), u"A 'Wohnung'"_s);
        QPushButton *const ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());
        dialog->box(PlanColumns::Field::Mac)->setCurrentText(u"B 'Hardware'"_s);
        QVERIFY(ok->isEnabled());
        ok->click();
        QCOMPARE(site.statuses(), (QStringList{u"answered"_s, u"missing"_s}));

        const QString next = writeFile(dir, u"hardware-2.csv"_s, header + "EG;02-00-00-00-00-01;\n");
        QCOMPARE(site.watch.compareWith(next), QString());
        QCOMPARE(site.statuses(), QStringList{u"answered"_s});

        RecentPlans *const recent = site.watch.recentPlans();
        QCOMPARE(recent->paths(), (QStringList{next, plan}));
        QCOMPARE(recent->folder(), dir.path());
        const QList<QAction *> entries = recent->menu()->actions();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1]->text(), u"&2 hardware.csv"_s);
        site.watch.leave();
        entries[1]->trigger();
        QVERIFY(site.watch.view()->isVisible());
        QCOMPARE(site.watch.planSource().path(), plan);
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
        QAction *const save = site.watch.reportSaver()->action();
        QVERIFY(!save->isEnabled());
        QCOMPARE(site.watch.compareWith(plan), QString());
        QVERIFY(save->isEnabled());
        const QString pdf = dir.filePath(u"report.pdf"_s);
        QCOMPARE(site.watch.reportSaver()->save(u"Block D <b>"_s, pdf), QString());

        QProcess pdftotext;
        pdftotext.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        QVERIFY2(pdftotext.waitForFinished() && pdftotext.exitCode() == 0, "pdftotext (poppler-utils) failed");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(u"Hand-over report: Block D <b>"_s)
                         && text.contains(u"1 of 2 planned devices answered · 1 missing · 1 unexpected · 0 differ"_s),
                 qPrintable(text));
        QVERIFY(QRegularExpression(u"\n *电梯<U\\+000A>Lift <i>2</i> +02-00-00-00-00-03 +10\\.0\\.0\\.3 *\n"_s)
                        .match(text).hasMatch());
        QVERIFY(text.contains(u"Hall<U+000A>B <U+202E>evil <b>bold</b>"_s));
        QVERIFY(!text.contains(QChar(0x202E)));
        site.watch.leave();
        QVERIFY(!save->isEnabled());
    }
};

QTEST_MAIN(TestSiteCompare)
#include "test_site_compare.moc"
