#include "devicelist/device_roster.h"

#include <QTest>

using Roster = DeviceRoster;
using namespace Qt::StringLiterals;

namespace {

// "mac/ip/version" with mac possibly empty, as a reply's record holds it.
Roster::Values reply(const QString &token, const QString &description = {})
{
    const QStringList parts = token.split(u'/');
    Roster::Values values;
    values[Roster::Mac] = parts.value(0);
    values[Roster::Ip] = parts.value(1);
    values[Roster::Version] = parts.value(2);
    values[Roster::Serial] = u"1"_s;
    values[Roster::Description] = description;
    return DeviceRecord(values).fields;
}

} // namespace

class TestDeviceRoster : public QObject
{
    Q_OBJECT

private slots:
    void rounds_data()
    {
        QTest::addColumn<int>("goneAfter");
        // Rounds split on "|", replies in a round on " ".
        QTest::addColumn<QString>("rounds");
        // Per round, the events: "event:key", "gone" ones at the round's end.
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("summary");   // per entry: "key answers new/- gone/- timesGone/awayMs"

        QTest::newRow("new, repeat, changed")
                << 3 << "A/1/v1 B/2/v1 A/1/v1|A/1/v2 B/2/v1|A/1/v2 B/3/v1 C/4/v1"
                << "appeared:A appeared:B|changed:A|changed:B appeared:C"
                << "A 4 - - 0/0,B 3 - - 0/0,C 1 new - 0/0";
        QTest::newRow("gone after K missed rounds, then back")
                << 2 << "A/1/v1 B/2/v1|A/1/v1|A/1/v1|A/1/v1 B/2/v1|A/1/v1"
                << "appeared:A appeared:B||gone:B|back:B|"
                << "A 5 - - 0/0,B 2 - - 1/4";
        QTest::newRow("gone while changed, back with a new address")
                << 1 << "A/1/v1|B/2/v1|A/9/v1 B/2/v1"
                << "appeared:A|appeared:B gone:A|back:A"
                << "A 2 - - 1/2,B 2 new - 0/0";
        QTest::newRow("no MAC: keyed by IP; still gone at the end")
                << 1 << "/1/v1 /2/v1|/1/v2|"
                << "appeared:ip 1 appeared:ip 2|changed:ip 1 gone:ip 2|gone:ip 1"
                << "ip 1 2 - gone 1/0,ip 2 1 - gone 1/0";
        QTest::newRow("trailing line break is not a change")
                << 3 << "A\n/1/v1\n|A/1/v1" << "appeared:A|" << "A 2 - - 0/0";
    }

    void rounds()
    {
        QFETCH(int, goneAfter);
        QFETCH(QString, rounds);
        Roster roster(goneAfter);
        QStringList events;
        qint64 time = 1000;
        for (const QString &round : rounds.split(u'|')) {
            roster.beginRound();
            QStringList these;
            for (const QString &token : round.split(u' ', Qt::SkipEmptyParts)) {
                const Roster::Noted noted = roster.note(reply(token), time++);
                if (noted.event)
                    these << Roster::eventName(*noted.event) + u':' + Roster::key(roster.entry(noted.entry).values);
            }
            for (const qsizetype gone : roster.endRound())
                these << u"gone:"_s + Roster::key(roster.entry(gone).values);
            events << these.join(u' ');
        }
        QTEST(events.join(u'|'), "events");

        QStringList summary;
        for (qsizetype i = 0; i < roster.size(); ++i) {
            const Roster::Entry &entry = roster.entry(i);
            QVERIFY(entry.firstSeenMs <= entry.lastSeenMs);
            summary << u"%1 %2 %3 %4 %5/%6"_s.arg(Roster::key(entry.values)).arg(entry.answers)
                               .arg(roster.isNew(i) ? u"new" : u"-", entry.gone ? u"gone" : u"-")
                               .arg(entry.goneCount).arg(entry.awayMs);
        }
        QTEST(summary.join(u','), "summary");
    }

    void keepsPreviousValuesAndBound()
    {
        Roster roster;
        roster.beginRound();
        roster.note(reply(u"A/1/v1"_s), 5);
        roster.beginRound();
        QCOMPARE(roster.answeredThisRound(), qsizetype(0));
        const Roster::Values moved = reply(u"A/2/v1"_s, QString(1000, u'x'));
        const Roster::Noted noted = roster.note(moved, 7);
        QVERIFY(noted.event == Roster::Event::Changed);
        const Roster::Entry &entry = roster.entry(noted.entry);
        QCOMPARE(entry.previous[Roster::Ip], u"1"_s);
        QCOMPARE(entry.previous[Roster::Version], QString());
        QCOMPARE(entry.changedFields, quint8(1u << Roster::Ip | 1u << Roster::Description));
        QCOMPARE(entry.values[Roster::Description].size(), 257);
        QCOMPARE(entry.firstSeenMs, qint64(5));
        QCOMPARE(entry.lastSeenMs, qint64(7));
        QCOMPARE(roster.answeredThisRound(), qsizetype(1));

        // Full with none gone: a new device is dropped and counted, known
        // ones are still taken.
        const auto device = [](int n) { return reply(QString::number(n) + u"/x/v"_s); };
        for (int i = 1; i < DeviceRecord::MaxDevices; ++i)
            roster.note(device(i), 8);
        QCOMPARE(roster.size(), DeviceRecord::MaxDevices);
        QCOMPARE(roster.note(reply(u"Z/1/v1"_s), 9).entry, qsizetype(-1));
        QCOMPARE(roster.dropped(), 1);
        QVERIFY(roster.note(reply(u"A/3/v1"_s), 9).event == Roster::Event::Changed);

        // Rounds 3 to 6: A and 2 answer, 1 once more in round 3; the rest go.
        for (int round = 3; round <= 6; ++round) {
            roster.beginRound();
            roster.note(device(2), 10 + round);
            if (round == 3)
                roster.note(device(1), 10 + round);
            roster.note(reply(u"A/3/v1"_s), 10 + round);
            roster.endRound();
        }
        QVERIFY(roster.entry(1).gone && roster.entry(3).gone && !roster.entry(2).gone);
        // A new device takes the entry of the device gone longest, the first
        // of those last seen at 8; one back is no longer in line.
        const Roster::Noted taken = roster.note(reply(u"Y/1/v1"_s), 20);
        QVERIFY(taken.event == Roster::Event::Appeared && taken.replacedGone);
        QCOMPARE(taken.entry, qsizetype(3));
        QCOMPARE(roster.indexOf(u"3"_s), qsizetype(-1));
        QCOMPARE(roster.entry(3).values[Roster::Mac], u"Y"_s);
        QVERIFY(roster.note(device(4), 21).event == Roster::Event::Back);
        QCOMPARE(roster.note(reply(u"W/1/v1"_s), 22).entry, qsizetype(5));
        QCOMPARE(roster.size(), DeviceRecord::MaxDevices);
        QCOMPARE(roster.dropped(), 1);
    }
};

QTEST_APPLESS_MAIN(TestDeviceRoster)
#include "test_device_roster.moc"
