#include "device_export.h"

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
                 "1,10.0.0.9,1234-5678-9012,00-11-22-33-44-55,1.0.2,\"Gate, \"\"north\"\"\nside\"\r\n"
                 "2,10.0.0.10,\"'=HYPERLINK(\"\"x\"\")\",\"'@SUM(A1)\",\"'+1\",\"'-2\tx\"\r\n");
        QCOMPARE(DeviceExport::csvField("\tcmd"), "\"'\tcmd\"");
        QCOMPARE(DeviceExport::csvField("\r=1"), "\"'\r=1\"");
        QCOMPARE(DeviceExport::toCsv({{"1", "门口机"}}, false), QString("1,门口机\r\n").toUtf8());
    }

    void tabSeparatedRowsStayOneLineEach()
    {
        const QList<QStringList> rows{{"1", "10.0.0.9", "00-11\r\n", "a\tb\nc"}, {"2", "10.0.0.10", "", ""}};
        QCOMPARE(DeviceExport::toTabSeparated(rows, false), "1\t10.0.0.9\t00-11\ta b c\n2\t10.0.0.10\t\t\n");
        QVERIFY(DeviceExport::toTabSeparated({}, true).startsWith("#\tIP Address\tSerial Number\tMAC Address\t"));
    }
};

QTEST_APPLESS_MAIN(TestDeviceExport)
#include "test_device_export.moc"
