#include "devicelist/device_table.h"
#include "devicelist/display_pattern.h"

#include <QTest>

namespace {
// The patterns the device table lays its values into.
const QString IP = DeviceTable::displayPattern(DeviceTable::IpColumn);
const QString SERIAL = DeviceTable::displayPattern(DeviceTable::SerialColumn);
const QString MAC = DeviceTable::displayPattern(DeviceTable::MacColumn);
const QString VERSION = DeviceTable::displayPattern(DeviceTable::VersionColumn);
}

class TestDisplayPattern : public QObject
{
    Q_OBJECT

private slots:
    void format_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QLocale::Language>("language");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &value, const QString &pattern,
                            const QString &expected, QLocale::Language language = QLocale::English) {
            QTest::newRow(name) << value << pattern << language << expected;
        };

        // Each pattern with fewer, equal and more digits than it has slots.
        row("equal digits", "123456789012", SERIAL, "1234-5678-9012");
        row("more digits", "12345678901234", SERIAL, "123456-7890-1234");
        row("fewer digits", "42", SERIAL, "--42");
        row("zero serial", "0", SERIAL, "--");
        row("negative", "-5", SERIAL, "---5");
        row("mac equal", "123456789012", MAC, "12-34-56-78_90-12");
        row("mac more", "1234567890123", MAC, "123-45-67-89_01-23");
        row("mac one digit", "7", MAC, "---_-7");
        row("mac four digits", "1234", MAC, "---_12-34");
        row("grouping", "123456789012", IP, "123,456,789,012");
        row("grouping spill", "1234567890123", IP, "1,234,567,890,123");
        row("zero grouped", "0", IP, "");
        row("integer in dots", "12345", VERSION, "12345....");
        row("one fraction digit", "1.5", VERSION, "1.5...");
        row("six fraction digits", "1.123456", VERSION, "1.123.456..");
        row("no integer digit", "0.5", VERSION, ".5...");
        row("dotted ip", "192.168.1.10", IP, "192.168.1.10");
        row("mac with line feed", "00-11-22-33-44-55\n", MAC, "00-11-22-33-44-55\n");

        // Blanks around the digits, sign and leading zeros.
        row("line feed after digits", "123456789012\n", SERIAL, "1234-5678-9012");
        row("blanks around", " \t42\r\n", SERIAL, "--42");
        row("plus sign", "+42", SERIAL, "--42");
        row("leading zeros", "000042", SERIAL, "--42");
        row("digits only mac", "001122334455", MAC, "-11-22-33_44-55");
        row("negative grouped", "-1234", IP, "-1,234");
        row("negative zero", "-0", SERIAL, "--");
        row("negative rounds to zero", "-0.4", SERIAL, "--");
        row("twenty digits", "12345678901234567890", SERIAL, "123456789012-3456-7890");
        row("twenty digits grouped", "98765432109876543210", IP, "98,765,432,109,876,543,210");

        // Rounding half up on the digits; insignificant fraction zeros show nothing.
        row("round integer up", "2.5", SERIAL, "--3");
        row("round integer down", "2.49", SERIAL, "--2");
        row("round last fraction slot", "1.1234567890125", VERSION, "1.123.456.789.013");
        row("carry into integer", "9.9999999999995", VERSION, "10....");
        row("carry past twenty digits", "99999999999999999999.5", SERIAL, "1000000000000-0000-0000");
        row("trailing fraction zeros", "1.500", VERSION, "1.5...");
        row("zero fraction", "1.000", VERSION, "1....");

        // Not numbers: returned as they came.
        for (const char *text : {"1.0.2\n", "1.0.2", "", " ", "\r\n", "5.", ".", "-", "1e3", "&H1F", "0x1F",
                                 "(5)", "1,234", "$5", "12 34", "--5", "+-5", "5-", "0A-1B-2C-3D-4E-5F",
                                 "00:11:22:33:44:55", "\xd9\xa1\xd9\xa2"}) {
            row(QByteArray("text ").append(text).constData(), QString::fromUtf8(text), SERIAL, QString::fromUtf8(text));
        }

        // German: "." groups, "," is the decimal point; input stays "."-decimal.
        const auto de = QLocale::German;
        row("de grouping", "1234567890123", IP, "1.234.567.890.123", de);
        row("de decimal point", "1.5", VERSION, "1,5...", de);
        row("de dotted ip", "192.168.1.10", IP, "192.168.1.10", de);
        row("de grouped input", "1.234", IP, "1", de);
        row("de comma input", "1,5", VERSION, "1,5", de);
    }

    void format()
    {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(QLocale::Language, language);
        QFETCH(QString, expected);
        QCOMPARE(formatPattern(value, pattern, QLocale(language)), expected);
    }
};

QTEST_APPLESS_MAIN(TestDisplayPattern)
#include "test_display_pattern.moc"
