// Compare with list… in the window, without a network: the table is filled
// by hand and the controller never sends.
#include "finder/window/device_actions.h"
#include "discovery/discovery_endpoint.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"
#include "finder/window/site_watch.h"

#include <QLabel>
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

} // namespace

class TestSiteCompare : public QObject
{
    Q_OBJECT

private slots:
    void comparesAndReturnsToTheTable()
    {
        DeviceTable table;
        table.setHeaderFormat(DeviceTable::HeaderFormat);
        const auto answer = [&table](const QString &mac, const QString &ip) {
            DeviceReply reply;
            reply.accepted = true;
            reply.macAddress = mac + u'\n';
            reply.serialNumber = u"000005050378\n"_s;
            reply.swVersion = u"1.0\n"_s;
            reply.description = u"Gate"_s;
            QVERIFY(table.fillDeviceRow(reply, ip));
        };
        answer(u"02-00-00-00-00-01"_s, u"10.0.0.1"_s);
        answer(u"02-00-00-00-00-02"_s, u"10.0.0.22"_s);
        answer(u"02-00-00-00-00-09"_s, u"10.0.0.9"_s);

        SilentView view;
        DiscoveryEndpoint endpoint;
        FinderController controller(view, &table, endpoint);
        QWidget window;
        window.resize(900, 500);
        auto *const grid = new QTableView(&window);
        grid->setModel(&table);
        grid->setGeometry(0, 0, 800, 400);
        auto *const label = new QLabel(u" 3 device found"_s, &window);
        label->setGeometry(10, 420, 150, 20);
        SiteWatch watch(controller, table, *grid, *label);
        window.show();

        QTemporaryDir dir;
        const QString bad = dir.filePath(u"bad.csv"_s);
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Name,Room\nA,1\n");
        file.close();
        QVERIFY(watch.compareWith(bad).startsWith(u"Line 1: no column"_s));
        QVERIFY(grid->isVisible());
        QVERIFY(!watch.view()->isVisible());

        const QString plan = dir.filePath(u"plan.csv"_s);
        QFile good(plan);
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("Location,MAC,IP\nGate,020000000001,10.0.0.1\nHall,02:00:00:00:00:02,10.0.0.2\n"
                   "Lift,02-00-00-00-00-03,10.0.0.3\n");
        good.close();
        QCOMPARE(watch.compareWith(plan), QString());
        QVERIFY(watch.view()->isVisible());
        QVERIFY(!grid->isVisible());
        QStringList statuses, serials;
        for (const SiteViewModel::Row &row : watch.model().rows()) {
            statuses << row.status;
            serials << row.cells[DeviceTable::SerialColumn];
        }
        QCOMPARE(statuses, (QStringList{u"answered"_s, u"differs"_s, u"unexpected"_s, u"missing"_s}));
        QCOMPARE(serials.first(), u"000005050378"_s);   // as received
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
};

QTEST_MAIN(TestSiteCompare)
#include "test_site_compare.moc"
