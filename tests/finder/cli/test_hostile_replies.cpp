// Property: random and hostile replies mixed with a site's good ones never
// change which good devices the metrics, the JSON listing and the watch's
// roster hold. Every reply passes the controller's input check as a
// datagram would; nothing is sent or bound.

#include "devicelist/device_listing.h"
#include "devicelist/found_devices.h"
#include "devicelist/site_tally.h"
#include "discovery/discovery_endpoint.h"
#include "finder/cli/prometheus_listing.h"
#include "finder/core/device_watch.h"
#include "finder/core/finder_controller.h"
#include "finder/core/finder_view.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct SilentView : FinderView
{
    void datagramHandled(const QString &, int) override {}
    void reportFailure(const EndpointError &) override {}
};

QString replyText(const QString &mac, const QString &serial, const QString &description = u"Gate"_s)
{
    return u"mac-address: %1\r\nsw-version: 1.0\r\nserial-number: %2\r\ndisplay: 1\r\ndescription: %3"_s.arg(
            mac, serial, description);
}

IncomingDatagram datagram(const QString &text, const QString &ip)
{
    return {text, ip, 0, u"vf1"_s, QDateTime::currentDateTimeUtc(), true};
}

// What no listing can name a device by.
const QStringList Blanks{u""_s, u"\n"_s, u"\r\n"_s, u" \t"_s, u"\x01\x7f"_s, u"\u2028 "_s, u"\u200b\u202e"_s};

// Text of line breaks, controls and markup that tries to end a value.
QString hostileText(QRandomGenerator &random)
{
    static const QStringList pieces{u"\n"_s, u"\r"_s, u"\""_s, u"\\"_s, u"}"_s, u"\x1b[2J"_s, u"\u009b"_s,
                                    u"\u202e"_s, u"\u2028"_s, u"\x7f"_s, u"<b>"_s, u","_s, u"x"_s};
    QString text;
    for (int i = random.bounded(1, 12); i > 0; --i)
        text += pieces[random.bounded(pieces.size())];
    return text;
}

QString inventedMac(QRandomGenerator &random)
{
    return u"%1"_s.arg(random.generate64() & 0xffffffffffffULL, 12, 16, QChar(u'0')).toUpper();
}

// One hostile or random reply of a kind the generator picks.
IncomingDatagram hostile(QRandomGenerator &random, const QStringList &goodMacs)
{
    const QString ip = u"10.9.%1.%2"_s.arg(random.bounded(256)).arg(random.bounded(1, 255));
    const QString blank = Blanks[random.bounded(Blanks.size())];
    switch (random.bounded(6)) {
    case 0: return datagram(replyText(blank, u"1"_s), ip);
    case 1: return datagram(replyText(inventedMac(random), blank), ip);
    case 2: return datagram(replyText(inventedMac(random), u"7"_s, hostileText(random)), ip);
    case 3: return datagram(replyText(hostileText(random), hostileText(random), hostileText(random)), ip);
    case 4: return datagram(replyText(QString(random.bounded(300, 5000), u'F'), u"8"_s, QString(9000, u'x')), ip);
    default: return datagram(replyText(goodMacs[random.bounded(goodMacs.size())], u"9"_s), ip);
    }
}

bool isBlankText(const QString &value)
{
    return std::all_of(value.begin(), value.end(),
                       [](QChar c) {
                           return c.isSpace() || c.category() == QChar::Other_Control
                                   || c.category() == QChar::Other_Format;
                       });
}

} // namespace

class TestHostileReplies : public QObject
{
    Q_OBJECT

private slots:
    void goodDevicesStay_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 24; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }

    void goodDevicesStay()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);

        // The site: good devices, all planned.
        QStringList goodMacs;
        QList<IncomingDatagram> batch;
        QByteArray plan = "Name,MAC Address\n";
        for (int d = 1; d <= 30; ++d) {
            const QString mac = u"02-00-00-00-00-%1"_s.arg(d, 2, 16, QChar(u'0')).toUpper();
            goodMacs << mac;
            batch << datagram(replyText(mac, QString::number(5050000 + d)), u"10.0.0.%1"_s.arg(d));
            plan += "Station " + QByteArray::number(d) + ',' + mac.toLatin1() + '\n';
        }
        for (int h = random.bounded(20, 120); h > 0; --h)
            batch.insert(random.bounded(batch.size() + 1), hostile(random, goodMacs));

        SilentView view;
        DiscoveryEndpoint endpoint;
        FoundDevices found;
        FinderController controller(view, &found, endpoint);
        controller.onDatagrams(batch);
        QSet<QString> listed;
        for (const DeviceRecord &device : found.records()) {
            for (const DeviceRecord::Field f : {DeviceRecord::Ip, DeviceRecord::Mac, DeviceRecord::Serial})
                QVERIFY2(!isBlankText(device.fields[f]), qPrintable(device.fields[DeviceRecord::Description]));
            listed << device.fields[DeviceRecord::Mac];
        }
        QVERIFY(listed.contains(QSet<QString>(goodMacs.cbegin(), goodMacs.cend())));

        // Metrics: every good device has its series, every station is up.
        SiteTally tally(SitePlan::parse(plan));
        QVERIFY(tally.plan().isValid());
        for (const DeviceRecord &device : found.records())
            tally.add(device.fields);
        PrometheusListing prometheus;
        prometheus.start({});
        const QString metrics = QString::fromUtf8(prometheus.text(found, true, &tally));
        static const QRegularExpression infoMac(u"^veltrin_device_info\\{ip=\"[^\"]*\",mac=\"((?:[^\"\\\\]|\\\\.)*)\""_s,
                                                QRegularExpression::MultilineOption);
        QSet<QString> seriesMacs;
        for (const QRegularExpressionMatch &match : infoMac.globalMatch(metrics))
            seriesMacs << match.captured(1);
        for (const QString &mac : std::as_const(goodMacs))
            QVERIFY2(seriesMacs.contains(mac), qPrintable(mac));
        QVERIFY(!seriesMacs.contains(QString()));
        QVERIFY2(metrics.contains(u"\nveltrin_expected_devices_missing 0\n"_s), qPrintable(metrics));
        QCOMPARE(metrics.count(u"\nveltrin_expected_device_up{"_s), goodMacs.size());
        QCOMPARE(metrics.count(QRegularExpression(u"\nveltrin_expected_device_up\\{.*\\} 1\n"_s)), goodMacs.size());

        // JSON: one row per reply taken, each good reply's row as it came.
        const QJsonArray rows = QJsonDocument::fromJson(DeviceListing::json(found.records())).array();
        QCOMPARE(rows.size(), found.size());
        QSet<QString> goodRows;
        for (const QJsonValue &row : rows)
            goodRows << row[u"mac"].toString() + u' ' + row[u"ip"].toString();
        for (int d = 1; d <= goodMacs.size(); ++d)
            QVERIFY(goodRows.contains(goodMacs[d - 1] + u" 10.0.0."_s + QString::number(d)));

        // The watch's roster: every good device, nothing blank.
        DeviceWatch watch(controller);
        controller.setWatching(&watch);
        controller.onDatagrams(batch);
        for (const QString &mac : std::as_const(goodMacs))
            QVERIFY(watch.roster().indexOf(mac) >= 0);
        for (qsizetype i = 0; i < watch.roster().size(); ++i)
            QVERIFY(!isBlankText(watch.roster().entry(i).values[DeviceRecord::Mac]));
    }
};

QTEST_GUILESS_MAIN(TestHostileReplies)
#include "test_hostile_replies.moc"
