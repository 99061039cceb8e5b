// The device list as --list prints it: the aligned table, the JSON array and
// Prometheus samples, with device text that tries to break each.
#include "devicelist/device_listing.h"
#include "devicelist/json_string.h"
#include "devicelist/prometheus_exposition.h"

#include <QJsonArray>
#include <QTimeZone>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

class TestDeviceListing : public QObject
{
    Q_OBJECT

    const QStringList plain{"1", "10.5.0.7", "1234-5678-9012", "00-11-22-33-44_55", "1.0.2", "Gate 1\r\n"};
    const QStringList pasteAttack{"1",     "10.5.0.7", "\u202e21-09", "00-11\u009b2J\x7f",
                                  "1.0\u2066", "Lobby\x1b[201~\x15touch PWNED\x0f"};

    // A listed row's device: its cells after the number.
    static DeviceRecord record(const QStringList &row, const ReplyOrigin &origin = {})
    {
        return DeviceRecord({row[1], row[2], row[3], row[4], row[5]}, origin);
    }

    // No byte below 0x20 but the line end, no DEL, no C1, no bidi control.
    static bool leavesNoHiddenCharacter(const QByteArray &bytes)
    {
        const QString text = QString::fromUtf8(bytes);
        return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
            return (c < u'\x20' && c != u'\n') || (c >= u'\x7f' && c <= u'\x9f') || c == u'\u202e' || c == u'\u2066';
        });
    }

private slots:
    void tableColumnsFollowTheHeader()
    {
        QCOMPARE(DeviceListing::textHeader(),
                 QByteArray("#   IP Address           Serial Number           MAC Address          SW Version"
                            "        Description\n"));
        QCOMPARE(DeviceListing::textLine(plain),
                 QByteArray("1   10.5.0.7             1234-5678-9012          00-11-22-33-44_55    1.0.2"
                            "             Gate 1\n"));
        // A cell wider than its column pushes the rest along, one space apart;
        // a description is cut instead where a comparison's columns follow it.
        QStringList wide = plain;
        wide[2] = QString(30, u'9');
        QVERIFY(DeviceListing::textLine(wide).contains(QByteArray(30, '9') + " 00-11"));
        const QStringList compared = plain.first(5) << u"Gate 1"_s << u"differs"_s << u"ip"_s << u"10.5.0.9"_s << u"1.0.2"_s;
        QStringList described = compared;
        described[5] = u"Block D / stair 2 / floor 14 / flat 1402 \u9580"_s;
        const QString line = QString::fromUtf8(DeviceListing::textLine(described));
        QCOMPARE(line.indexOf(u"differs"_s), QString::fromUtf8(DeviceListing::textLine(compared)).indexOf(u"differs"_s));
        QVERIFY(line.endsWith(u"Block D / stair 2 / floor \u2026 differs     ip          10.5.0.9             1.0.2\n"_s));
    }

    void tableRowsStayOneLineAndInert()
    {
        QStringList hostile = plain;
        hostile[5] = QStringLiteral("Gate\tA\nrm -rf\x1b]0;owned\x07\u009b31m end\r\n");
        const QByteArray line = DeviceListing::textLine(hostile);
        QCOMPARE(line.count('\n'), 1);
        QVERIFY(line.endsWith("Gate<U+0009>A<U+000A>rm -rf<U+001B>]0;owned<U+0007><U+009B>31m end\n"));
        QVERIFY(!line.contains('\x1b') && !line.contains('\a') && !line.contains('\t'));
        QStringList lying = plain;
        lying[3] = QStringLiteral("\u202e55-44-33-22-11-00");
        QVERIFY(DeviceListing::textLine(lying).contains("<U+202E>55-44-33-22-11-00"));
        QVERIFY(leavesNoHiddenCharacter(DeviceListing::textLine(pasteAttack)));
    }

    void jsonArray()
    {
        QCOMPARE(DeviceListing::json({}), QByteArray("[]\n"));
        // The first row came in on eth0; the second's origin is unknown.
        const ReplyOrigin origin{QStringLiteral("eth0"),
                                              QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 89), QTimeZone::utc())};
        QCOMPARE(DeviceListing::json({record(plain, origin), record(plain)}),
                 QByteArray("[\n"
                            "  {\"ip\": \"10.5.0.7\", \"serial\": \"1234-5678-9012\", \"mac\": \"00-11-22-33-44_55\", "
                            "\"version\": \"1.0.2\", \"description\": \"Gate 1\", \"interface\": \"eth0\", "
                            "\"time\": \"2026-03-04T05:06:07.089Z\"},\n"
                            "  {\"ip\": \"10.5.0.7\", \"serial\": \"1234-5678-9012\", \"mac\": \"00-11-22-33-44_55\", "
                            "\"version\": \"1.0.2\", \"description\": \"Gate 1\", \"interface\": null, \"time\": null}\n"
                            "]\n"));
    }

    void jsonKeepsDeviceTextAsData()
    {
        QStringList hostile = plain;
        hostile[1] = QStringLiteral("\"}, {\"ip\": \"x");
        hostile[5] = QStringLiteral("back\\slash \x01\x1f tab\tline\nsep\u2028 門\n\n");
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(DeviceListing::json({record(hostile)}), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(document.array().size(), 1);
        const QJsonObject object = document.array().first().toObject();
        QCOMPARE(object.keys().size(), 7);   // with a null interface and time
        QCOMPARE(object.value("ip").toString(), hostile[1]);
        // Values without their trailing line breaks, the rest as it came.
        QCOMPARE(object.value("description").toString(), QStringLiteral("back\\slash \x01\x1f tab\tline\nsep\u2028 門"));
        QVERIFY(DeviceListing::json({record(hostile)}).contains("\\u2028"));

        // Exact for programs, inert on a terminal: \u escapes, C1 and DEL too.
        const QByteArray attack = DeviceListing::json({record(pasteAttack)});
        QVERIFY2(leavesNoHiddenCharacter(attack), attack.constData());
        const QJsonObject parsed = QJsonDocument::fromJson(attack).array().first().toObject();
        QCOMPARE(parsed.value("mac").toString(), pasteAttack[3]);
        QCOMPARE(parsed.value("description").toString(), pasteAttack[5]);
        // Compared with a plan: the status keyword, what differs, the planned
        // values, what the match forgave.
        SiteRow differs;
        differs.status = SiteRow::Status::Differs;
        differs.differences = SitePlan::IpDiffers | SitePlan::VersionDiffers;
        differs.planned = 0;
        differs.plannedIp = u"10.5.0.9"_s;
        differs.matched = SitePlan::MatchNote::SerialWithoutLeadingZeros;
        QVERIFY(DeviceListing::json({record(plain)}, {differs}).contains(
                "\"status\": \"differs\", \"differs\": [\"ip\", \"version\"], "
                "\"planned\": {\"ip\": \"10.5.0.9\", \"version\": null}, "
                "\"matched\": \"serial without leading zeros\"}"));
    }

    // One writer for every JSON string, --watch's lines included.
    void jsonStrings_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("written");
        QTest::newRow("quote and backslash") << u"a\"b\\c"_s << u"\"a\\\"b\\\\c\""_s;
        QTest::newRow("C0, DEL, C1") << u"\x1b[2J\n\x7f\u009b"_s << u"\"\\u001b[2J\\u000a\\u007f\\u009b\""_s;
        QTest::newRow("bidi and zero width") << u"\u202eab\u200b"_s << u"\"\\u202eab\\u200b\""_s;
        QTest::newRow("format character above U+FFFF, then text")
                << u"\U000E0001x"_s << u"\"\\udb40\\udc01x\""_s;
        QTest::newRow("letters above U+FFFF stay") << u"\U0001F600門"_s << u"\"\U0001F600門\""_s;
        QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + u'x' << u"\"\\ud800x\""_s;
    }

    void jsonStrings()
    {
        QFETCH(QString, value);
        QTEST(jsonString(value), "written");
        const QJsonDocument document = QJsonDocument::fromJson(u"[%1]"_s.arg(jsonString(value)).toUtf8());
        if (!value.contains(QChar(0xd800)))
            QCOMPARE(document.array().first().toString(), value);
    }

    void prometheusKeepsDeviceTextInsideItsLabel()
    {
        PrometheusExposition metrics;
        metrics.addGauge("veltrin_scan_timestamp_seconds", "When.");
        QVERIFY(metrics.addSample(1765065600.125));
        metrics.addGauge("veltrin_device_info", "A device.");
        QVERIFY(metrics.addSample(1, {{"mac", "00-AA"}, {"description", "x\"} 1\nfake_metric 1"}}));
        QVERIFY(metrics.addSample(1, {{"mac", "00-BB"},
                                      {"description", QStringLiteral("back\\slash\ttab\r\x01\x7f\u0085 \u2028\u202e門\u200b")}}));
        // Equal once the control and format characters are gone: one series, not two.
        QVERIFY(!metrics.addSample(1, {{"mac", "00-BB"},
                                       {"description", QStringLiteral("back\\slashtab 門")}}));
        metrics.addGauge("veltrin_devices_answered", "How many.");
        QVERIFY(metrics.addSample(2));
        QCOMPARE(metrics.text(), QStringLiteral(
                         "# HELP veltrin_scan_timestamp_seconds When.\n"
                         "# TYPE veltrin_scan_timestamp_seconds gauge\n"
                         "veltrin_scan_timestamp_seconds 1765065600.125\n"
                         "# HELP veltrin_device_info A device.\n"
                         "# TYPE veltrin_device_info gauge\n"
                         "veltrin_device_info{mac=\"00-AA\",description=\"x\\\"} 1\\nfake_metric 1\"} 1\n"
                         "veltrin_device_info{mac=\"00-BB\",description=\"back\\\\slashtab 門\"} 1\n"
                         "# HELP veltrin_devices_answered How many.\n"
                         "# TYPE veltrin_devices_answered gauge\n"
                         "veltrin_devices_answered 2\n").toUtf8());

        // Bounded as a table cell is; what is left out does not count.
        const QString long300(300, u'a');
        QCOMPARE(PrometheusExposition::labelValue(long300), QString(256, u'a') + u'\u2026');
        QCOMPARE(PrometheusExposition::labelValue(QString(256, u'a') + QString(40, u'\x01')), QString(256, u'a'));
        QCOMPARE(PrometheusExposition::labelValue(QString(255, u'a') + QStringLiteral("\U0001F600")),
                 QString(255, u'a') + u'\u2026');
    }
};

QTEST_GUILESS_MAIN(TestDeviceListing)
#include "test_device_listing.moc"
