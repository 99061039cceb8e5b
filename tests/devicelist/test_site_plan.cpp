#include "devicelist/site_plan.h"
#include "devicelist/site_tally.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

using Status = SitePlan::Status;

namespace {

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xff);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

// Three devices as they answer: serials with the leading zeros a
// spreadsheet drops, versions without a "v".
const QList<DeviceRecord::Fields> &site()
{
    static const QList<DeviceRecord::Fields> devices{
        {"10.0.0.1", "002303150114", "02-00-00-00-00-01", "2.4.1"},
        {"10.0.0.2", "002303150115", "02-00-00-00-00-02", "2.4.1"},
        {"10.0.0.3", "3", "02-00-00-00-00-03", "2.5.0"},
    };
    return devices;
}

// Each device's status against the plan, and what its match forgave.
QString statusesOfSite(const SitePlan &plan)
{
    QStringList statuses;
    for (const DeviceRecord::Fields &device : site()) {
        const SitePlan::Match match = plan.classify(device);
        const QString note = SitePlan::matchNoteText(match.notes);
        statuses << SitePlan::statusName(match.status) + (note.isEmpty() ? QString() : " (" + note + ")");
    }
    return statuses.join(", ");
}

} // namespace

class TestSitePlan : public QObject
{
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("macs");       // the devices' MAC column, as written
        QTest::addColumn<QStringList>("serials");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("lines");

        // The finder's own save: byte order mark, CRLF, a quoted formula-like
        // serial and a description with a line break.
        QTest::newRow("own save")
                << QByteArray("\xEF\xBB\xBF#,IP Address,Serial Number,MAC Address,SW Version,Description\r\n"
                              "1,10.0.0.9,\"'-505-0378\",02-00-00-4D-10-0A,1.16.10,\"Gate, \"\"A\"\"\nEast\"\r\n"
                              "2,10.0.0.10,000005050379,02-00-00-4D-10-0B,1.16.10,Hall\r\n"
                              "3,10.0.0.10,000005050379,02-00-00-4D-10-0B,1.16.10,Hall\r\n")
                << QStringList{"02-00-00-4D-10-0A", "02-00-00-4D-10-0B"}
                << QStringList{"-505-0378", "000005050379"} << QStringList{"Gate, \"A\"\nEast", "Hall"}
                << QList<int>{2, 4};
        QTest::newRow("spellings, blank lines, LF")
                << QByteArray("\n Location ,S/N,mac_addr\n\n\"Flat 1;x\",1001,000c29aabbcc\n,,\nFlat 2,1002,\n")
                << QStringList{"000c29aabbcc", ""} << QStringList{"1001", "1002"}
                << QStringList{"Flat 1;x", "Flat 2"} << QList<int>{4, 6};
        QTest::newRow("IP alone") << QByteArray("ip\n10.0.0.1\n10.0.0.2") << QStringList{"", ""}
                                  << QStringList{"", ""} << QStringList{"", ""} << QList<int>{2, 3};
    }

    void parses()
    {
        QFETCH(QByteArray, csv);
        const SitePlan plan = SitePlan::parse(csv);
        QVERIFY2(plan.isValid(), qPrintable(plan.error()));
        QStringList macs, serials, names;
        QList<int> lines;
        for (const SitePlan::Device &device : plan.devices()) {
            macs << device.mac;
            serials << device.serial;
            names << device.name;
            lines << device.line;
        }
        QTEST(macs, "macs");
        QTEST(serials, "serials");
        QTEST(names, "names");
        QTEST(lines, "lines");
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("error");

        QTest::newRow("no usable column") << QByteArray("\nName,Room\nA,1\n")
                                          << "Line 2: no column is named MAC address";
        QTest::newRow("empty file") << QByteArray() << "Line 1: no column is named";
        QTest::newRow("duplicate MAC, other spelling")
                << QByteArray("MAC\n00-0c-29-aa-bb-cc\n00:0C:29:AA:BB:CD\n000C29AABBCC\n")
                << "Line 4: MAC address 000C29AABBCC is already on line 2.";
        QTest::newRow("duplicate serial") << QByteArray("Serial,IP\n7,10.0.0.1\n7,10.0.0.2\n")
                                          << "Line 3: serial number 7 is already on line 2.";
        QTest::newRow("row without identifier") << QByteArray("ip,name\n10.0.0.1,a\n,b\n")
                                                << "Line 3: no MAC address, serial number or IP address.";
        QTest::newRow("not UTF-8") << QByteArray("ip,name\n10.0.0.1,a\n10.0.0.2,Gr\xFC\xDF" "e\n")
                                   << "Line 3: the text is not UTF-8.";
        QTest::newRow("open quote") << QByteArray("ip,name\n10.0.0.1,\"a\n10.0.0.2,b\n")
                                    << "Line 2: a quoted field is not closed.";
        QByteArray big("ip\n");
        for (int i = 0; i < 200000; ++i)
            big += "10." + QByteArray::number(i >> 16) + '.' + QByteArray::number((i >> 8) & 255) + '.'
                    + QByteArray::number(i & 255) + '\n';
        QTest::newRow("200,000 lines") << big << "Line 32769: a plan can list at most 32,767 devices.";
    }

    void refuses()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, error);
        const SitePlan plan = SitePlan::parse(csv);
        QVERIFY(!plan.isValid());
        QVERIFY2(plan.error().startsWith(error), qPrintable(plan.error()));
        QVERIFY(plan.devices().isEmpty());
    }

    // Plans as spreadsheets and people save them: the columns used and the
    // site's statuses, or the start of the message that says what to change.
    void plansAsSaved_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("columns");   // as --expect-columns takes them
        QTest::addColumn<QString>("expected");

        const QString macs = "MAC ← column A 'MAC'; version ← B 'Version' | ";
        QTest::newRow("semicolons, BOM, CRLF")
                << QByteArray("\xEF\xBB\xBFMAC Address;Name;Note\r\n02-00-00-00-00-01;Gate;\"a;b\"\r\n") << ""
                << "MAC ← column A 'MAC Address'; name ← B 'Name'; ignored: C 'Note' | "
                   "answered, unexpected, unexpected";
        QTest::newRow("tabs, UTF-16 LE") << utf16("IP\tName\r\n10.0.0.2\tHall\r\n", false) << ""
                                         << "IP ← column A 'IP'; name ← B 'Name' | "
                                            "unexpected, answered, unexpected";
        QTest::newRow("UTF-16 BE") << utf16("Serial Number\n2303150114\n", true) << ""
                                   << "serial ← column A 'Serial Number' | "
                                      "answered (serial without leading zeros), unexpected, unexpected";
        QTest::newRow("title and blank lines above")
                << QByteArray("Building B \xE2\x80\x93 door stations,,\n\n,,\n"
                              "#,MAC,Version\n1,02-00-00-00-00-03,2.5.0\n")
                << "" << "MAC ← column B 'MAC'; version ← C 'Version' | unexpected, unexpected, answered";
        QTest::newRow("de, serials without zeros")
                << QByteArray("Wohnung;MAC-Adresse;Seriennummer;IP-Adresse;Bemerkung\nEG;;2303150114;10.0.0.1;\n"
                              "1. OG;;0000000000000003;;alt\n")
                << "" << "MAC ← column B 'MAC-Adresse'; serial ← C 'Seriennummer'; IP ← D 'IP-Adresse'; "
                         "name ← A 'Wohnung'; ignored: E 'Bemerkung' | answered (serial without leading zeros), "
                         "unexpected, answered (serial without leading zeros)";
        QTest::newRow("fr") << QByteArray("Adresse MAC;Numéro de série;Adresse IP;Version du micrologiciel;"
                                          "Emplacement\n02-00-00-00-00-02;;10.0.0.2;2.4.0;Hall\n")
                            << "" << "MAC ← column A 'Adresse MAC'; serial ← B 'Numéro de série'; "
                                     "IP ← C 'Adresse IP'; version ← D 'Version du micrologiciel'; "
                                     "name ← E 'Emplacement' | "
                                     "unexpected, differs, unexpected";
        QTest::newRow("es") << QByteArray("Dirección MAC,Número de serie,Dirección IP,Versión,Ubicación\n")
                            << "" << "MAC ← column A 'Dirección MAC'; serial ← B 'Número de serie'; "
                                     "IP ← C 'Dirección IP'; version ← D 'Versión'; name ← E 'Ubicación' | "
                                     "unexpected, unexpected, unexpected";
        QTest::newRow("it") << QByteArray("INDIRIZZO MAC;Numero di serie;Indirizzo IP;Versione firmware;Posizione\n")
                            << "" << "MAC ← column A 'INDIRIZZO MAC'; serial ← B 'Numero di serie'; "
                                     "IP ← C 'Indirizzo IP'; version ← D 'Versione firmware'; "
                                     "name ← E 'Posizione' | unexpected, unexpected, unexpected";
        QTest::newRow("nl") << QByteArray("mac_adres,Serienummer,IP-adres,Firmwareversie,Locatie\n") << ""
                            << "MAC ← column A 'mac_adres'; serial ← B 'Serienummer'; IP ← C 'IP-adres'; "
                               "version ← D 'Firmwareversie'; name ← E 'Locatie' | "
                               "unexpected, unexpected, unexpected";
        QTest::newRow("zh") << QByteArray("位置,MAC地址,序列号,IP地址,固件版本\n一楼,02-00-00-00-00-03,,,2.5.0\n")
                            << "" << "MAC ← column B 'MAC地址'; serial ← C '序列号'; IP ← D 'IP地址'; "
                                     "version ← E '固件版本'; name ← A '位置' | unexpected, unexpected, answered";
        QTest::newRow("FW Version") << QByteArray("MAC,FW Version\n02-00-00-00-00-01,2.4.1\n02-00-00-00-00-03,2.4.1\n")
                                    << "" << "MAC ← column A 'MAC'; version ← B 'FW Version' | "
                                             "answered, unexpected, differs";
        QTest::newRow("v-prefixed versions")
                << QByteArray("MAC,Version\n02-00-00-00-00-01,v2.4.1\n02-00-00-00-00-02, V2.4.1 \n"
                              "02-00-00-00-00-03,v2.4\n")
                << "" << macs + "answered (version with a leading v), answered (version with a leading v), differs";
        QTest::newRow("columns chosen") << QByteArray("Wohnung;Hardware;Ver\nEG;02-00-00-00-00-02;x\n")
                                        << "MAC=hardware , version=VER"
                                        << "MAC ← column B 'Hardware'; version ← C 'Ver'; name ← A 'Wohnung' | "
                                           "unexpected, differs, unexpected";
        QTest::newRow("columns unknown") << QByteArray("Title\n\nWohnung;Hardware\n") << ""
                                         << "Line 3: no column is named MAC address, serial number or IP address. "
                                            "Header found, split at semicolons: A 'Wohnung', B 'Hardware'.";
        QTest::newRow("chosen column absent") << QByteArray("MAC\n") << "name=Hardware"
                                              << "Line 1: no column is named 'Hardware', as chosen. "
                                                 "Header found, split at commas: A 'MAC'.";
        QTest::newRow("Windows-1252") << QByteArray("Name,MAC\nGr\xFC\xDF" "e,02-00-00-00-00-01\n") << ""
                                      << "Line 2: the text is not UTF-8. It may be Windows-1252 (\"ANSI\") or another "
                                         "code page. Save it as \"CSV UTF-8 (Comma delimited)\" in Excel";
        QTest::newRow("UTF-16 without BOM") << utf16("MAC\n", false).sliced(2) << ""
                                            << "Line 1: the text holds NUL characters";
        QTest::newRow("xlsx") << QByteArray("PK\x03\x04\x14\0\x06\0") << "" << "This is a spreadsheet, not a CSV file.";
        QTest::newRow("too many fields") << "MAC" + QByteArray(2000, ',') << ""
                                         << "Line 1: more than 1,024 fields in one row.";
        QTest::newRow("too long") << "\n\nMAC,Name\n02-00-00-00-00-01,\"" + QByteArray(70000, 'x') + "\"\n" << ""
                                  << "Line 4: a row longer than 65,536 characters";
    }

    void plansAsSaved()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, columns);
        QFETCH(QString, expected);
        QString error;
        const PlanColumns::Choice choice = columns.isEmpty() ? PlanColumns::Choice()
                                                             : PlanColumns::Choice::fromText(columns, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const SitePlan plan = SitePlan::parse(file, choice);
        const QString got = plan.isValid() ? plan.header().columnsText() + " | " + statusesOfSite(plan) : plan.error();
        QVERIFY2(got.startsWith(expected), qPrintable(got));
    }

    // What a window's column choice works from: the header found, its
    // delimiter, and a key to remember the choice under.
    void columnChoice()
    {
        const SitePlan unknown = SitePlan::parse("Wohnung\tHardware-ID\nEG\t02-00-00-00-00-01\n");
        QVERIFY(unknown.needsColumnChoice());
        QCOMPARE(unknown.header().names, (QStringList{"Wohnung", "Hardware-ID"}));
        QCOMPARE(unknown.header().delimiter, u'\t');
        QVERIFY(!SitePlan::parse("MAC\n02-00-00-00-00-01,\"x\n").needsColumnChoice());
        PlanColumns::Choice choice;
        choice.headers[int(PlanColumns::Field::Mac)] = "hardware id";
        const SitePlan chosen = SitePlan::parse("Wohnung\tHardware-ID\nOG\t02-00-00-00-00-02\n", choice);
        QCOMPARE(chosen.devices().size(), 1);
        QCOMPARE(chosen.devices().front().name, "OG");
        QCOMPARE(chosen.header().fingerprint(), unknown.header().fingerprint());
        QVERIFY(SitePlan::parse("Wohnung\tHardware\n").header().fingerprint() != unknown.header().fingerprint());

        QString error;
        for (const char *text : {"mac", "mac=", "colour=red", "mac=a,mac=b"}) {
            PlanColumns::Choice::fromText(text, &error);
            QVERIFY2(!error.isEmpty(), text);
            error.clear();
        }
    }

    // Only a regular file is read: a FIFO would block, a folder is no plan.
    void refusesFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString fifo = dir.filePath("plan.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(SitePlan::load(fifo).error().startsWith("This is a named pipe (FIFO), not a file"));
        QVERIFY(SitePlan::load(dir.path()).error().startsWith("This is a folder, not a file"));
        QFile csv(dir.filePath("plan.xlsx"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write("MAC\n02-00-00-00-00-01\n");
        csv.close();
        QVERIFY(SitePlan::load(csv.fileName()).error().startsWith("This is a spreadsheet"));
        QVERIFY(SitePlan::load(dir.filePath("absent.csv")).error().startsWith("No such file"));
    }

    // Device by device: each station answers once, a device gone leaves
    // its station missing until it is back.
    void tallies()
    {
        const SitePlan plan = SitePlan::parse("Name,MAC,Serial,IP,Version\n"
                                              "by mac,00-0C-29-AA-BB-01,,10.0.0.1,1.0\n"
                                              "moved,00:0c:29:aa:bb:02,,10.0.0.2,\n"
                                              "by serial,,000005050378,,\n"
                                              "by ip,,,10.0.0.4,\n"
                                              "old firmware,000C29AABB05,,,1.0\n"
                                              "absent,000C29AABB06,,10.0.0.6,\n"
                                              "dotted,000c.29aa.bb07,,,\n");
        QVERIFY2(plan.isValid(), qPrintable(plan.error()));
        SiteTally tally(plan);
        const QList<DeviceRecord::Fields> received{
            {"10.0.0.1", "1", "000c29aabb01", "1.0"},
            {"10.0.0.22", "2", "00-0C-29-AA-BB-02", "1.0"},
            {"10.0.0.3", "000005050378", "02-00-00-00-00-03", "1.0"},
            {"10.0.0.4", "4", "02-00-00-00-00-04", "1.0"},
            {"10.0.0.5", "5", "00-0C-29-AA-BB-05", "2.0"},
            {"10.0.0.9", "9", "02-00-00-00-00-09", "1.0"},
            {"10.0.0.1", "1", "00-0C-29-AA-BB-01", "1.0"},   // the first device again
            {"10.0.0.4", "44", "02-00-00-00-00-44", "1.0"},  // planned IP already answered for
            {"10.0.0.7", "7", "00:0C:29:AA:BB:07", "1.0"},
        };
        QList<Status> statuses;
        QList<qsizetype> planned;
        QList<int> differences;
        for (const DeviceRecord::Fields &device : received) {
            const SiteTally::Verdict verdict = tally.add(device);
            statuses << verdict.status;
            planned << verdict.planned;
            differences << verdict.differences;
        }
        QCOMPARE(statuses, (QList<Status>{Status::Answered, Status::Differs, Status::Answered, Status::Answered,
                                          Status::Differs, Status::Unexpected, Status::Answered, Status::Unexpected,
                                          Status::Answered}));
        QCOMPARE(planned, (QList<qsizetype>{0, 1, 2, 3, 4, -1, 0, -1, 6}));
        QCOMPARE(differences, (QList<int>{0, SitePlan::IpDiffers, 0, 0, SitePlan::VersionDiffers, 0, 0, 0, 0}));
        QCOMPARE(tally.missing(), QList<qsizetype>{5});
        const auto summary = [&tally] {
            const SiteTally::Summary s = tally.summary();
            return QList<qsizetype>{s.planned, s.answered, s.missing, s.unexpected, s.differs};
        };
        QCOMPARE(summary(), (QList<qsizetype>{7, 6, 1, 2, 2}));

        // Gone: its station is missing; back with the planned IP: answered.
        QCOMPARE(tally.remove(received[1]).status, Status::Differs);
        QCOMPARE(tally.missing(), (QList<qsizetype>{1, 5}));
        QCOMPARE(summary(), (QList<qsizetype>{7, 5, 2, 2, 1}));
        DeviceRecord::Fields moved = received[1];
        moved[DeviceRecord::Ip] = u"10.0.0.2"_s;
        QCOMPARE(tally.add(moved).status, Status::Answered);
        QCOMPARE(tally.missing(), QList<qsizetype>{5});
        QVERIFY(tally.contains(received[1]));
        // Gone twice counts once; an unexpected device going leaves no station.
        QCOMPARE(tally.remove(received[5]).status, Status::Unexpected);
        QCOMPARE(tally.remove(received[5]).status, Status::Missing);
        QCOMPARE(summary(), (QList<qsizetype>{7, 6, 1, 1, 1}));
        QCOMPARE(SitePlan::statusName(Status::Differs), "differs");
    }
};

QTEST_APPLESS_MAIN(TestSitePlan)
#include "test_site_plan.moc"
