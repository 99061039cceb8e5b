#include "devicelist/device_export.h"

#include <QTest>

class TestDeviceExport : public QObject
{
    Q_OBJECT

private slots:
    void csvKeepsHostileTextAsOneField()
    {
        const QList<QStringList> rows{
            {"1", "10.0.0.9", "1234-5678-9012\r\n", "00-11-22-33-44-55\r\n", "1.0.2\n", "Gate, \"north\"\nside"},
            {"2", "10.0.0.10", "=HYPERLINK(\"x\")", "@SUM(A1)", "+1", "-2\tx"},
        };
        QCOMPARE(DeviceExport::toCsv(rows, true),
                 "#,IP Address,Serial Number,MAC Address,SW Version,Description\r\n"
                 "1,10.0.0.9,1234-5678-9012,00-11-22-33-44-55,1.0.2,\"Gate, \"\"north\"\"<U+000A>side\"\r\n"
                 "2,10.0.0.10,\"'=HYPERLINK(\"\"x\"\")\",\"'@SUM(A1)\",\"'+1\",\"'-2<U+0009>x\"\r\n");
        QCOMPARE(DeviceExport::csvField("\tcmd"), "\"'\tcmd\"");
        QCOMPARE(DeviceExport::csvField("\r=1"), "\"'\r=1\"");
        QCOMPARE(DeviceExport::toCsv({{"1", "门口机"}}, false), QString("1,门口机\r\n").toUtf8());
    }

    void tabSeparatedRowsStayOneLineEach()
    {
        const QList<QStringList> rows{{"1", "10.0.0.9", "00-11\r\n", "a\tb\nc"}, {"2", "10.0.0.10", "", ""}};
        QCOMPARE(DeviceExport::toTabSeparated(rows, false),
                 "1\t10.0.0.9\t00-11\ta<U+0009>b<U+000A>c\n2\t10.0.0.10\t\t\n");
        QVERIFY(DeviceExport::toTabSeparated({}, true).startsWith("#\tIP Address\tSerial Number\tMAC Address\t"));
    }

    // A terminal acts on these before any quoting: a pasted ESC [201~ ends a
    // bracketed paste, ^U clears the line, ^O runs it; C1 CSI and bidi
    // controls drive or disguise. Each leaves as the escape the cells draw.
    void hostileTextLeavesAsEscapes()
    {
        const QList<QStringList> rows{{"1", "10.0.0.9", "\u202e21-09", "00-11\u009b2J\x7f",
                                       "1.0\u2066x\u2069\u200b", "Lobby\x1b[201~\x15touch PWNED\x0f\r\n"}};
        const QString expected = "1\t10.0.0.9\t<U+202E>21-09\t00-11<U+009B>2J<U+007F>\t1.0<U+2066>x<U+2069><U+200B>\t"
                                 "Lobby<U+001B>[201~<U+0015>touch PWNED<U+000F>";
        QCOMPARE(DeviceExport::toTabSeparated(rows, false), expected + "\n");
        QCOMPARE(DeviceExport::toCsv(rows, false), QString(expected).replace('\t', ',').toUtf8() + "\r\n");
    }
};

QTEST_APPLESS_MAIN(TestDeviceExport)
#include "test_device_export.moc"
