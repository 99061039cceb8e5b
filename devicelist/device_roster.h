#pragma once

#include "devicelist/device_record.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

// The devices seen while watching, one entry per device across rounds of
// requests: keyed by the MAC as received (by the IP where a reply has none),
// with first and last sight, the number of answers, the last reply's values
// and the previous value of each field that changed. A reply costs one hash
// look-up; the roster holds at most DeviceRecord::MaxDevices devices.
// When it is full, a new device takes the place of the device gone longest,
// so a flood of invented devices that went away cannot blind the watch;
// with none gone, the new device is dropped and counted.
class DeviceRoster
{
public:
    // Rounds a device may miss before it is gone.
    static constexpr int DefaultGoneAfter = 3;
    // A day of the shortest rounds; more is no watch anyone waits for.
    static constexpr int MaxGoneAfter = 43200;
    // rounds within 1 and MaxGoneAfter.
    static int boundedGoneAfter(int rounds) { return std::clamp(rounds, 1, MaxGoneAfter); }

    // A device's fields, as its record holds them.
    using Field = DeviceRecord::Field;
    using enum DeviceRecord::Field;
    using Values = DeviceRecord::Fields;

    enum class Event { Appeared, Changed, Gone, Back };

    struct Entry
    {
        Values values;
        // Before the last change of each field; empty where it never changed.
        Values previous;
        qint64 firstSeenMs = 0;
        qint64 lastSeenMs = 0;
        qint64 answers = 0;
        int firstRound = 0;
        int lastRound = 0;
        // Fields the latest answer changed, one bit per Field.
        quint8 changedFields = 0;
        bool gone = false;
        // How often it went away, and how long it was away before it last came back.
        int goneCount = 0;
        qint64 awayMs = 0;
    };

    explicit DeviceRoster(int goneAfter = DefaultGoneAfter);

    // Starts the next round of requests (the first is round 1).
    void beginRound();
    int round() const { return m_round; }
    int goneAfter() const { return m_goneAfter; }
    // From the next end of a round on.
    void setGoneAfter(int rounds);

    // One accepted reply, as its DeviceRecord's fields. Returns the entry's index and the event it makes,
    // if any: nullopt for a repeat with the same values, and for a new device
    // when the roster is full and no device is gone (index -1 then).
    struct Noted
    {
        qsizetype entry = -1;
        std::optional<Event> event;
        // The roster was full: the new device took the entry of the device
        // gone longest, which is forgotten.
        bool replacedGone = false;
    };
    Noted note(const Values &reply, qint64 timeMs);
    // New devices dropped because the roster was full and none was gone.
    qint64 dropped() const { return m_dropped; }

    // Entries that have now missed goneAfter() rounds in a row, marked gone.
    // Called when a round's replies are in, before the next round begins.
    QList<qsizetype> endRound();

    qsizetype size() const { return m_entries.size(); }
    const Entry &entry(qsizetype index) const { return m_entries[index]; }
    qsizetype indexOf(const QString &key) const { return m_index.value(key, -1); }
    // Devices that answered in the current round.
    qsizetype answeredThisRound() const { return m_answeredThisRound; }
    // Answered first after the first round of this watch.
    bool isNew(qsizetype index) const { return m_entries[index].firstRound > 1; }

    static QString key(const Values &reply);
    static QString eventName(Event event);

private:
    // The entry a new device gets: a new one, or when full the one gone
    // longest; -1 when full and none is gone.
    qsizetype placeForNew(bool *replacedGone);

    QList<Entry> m_entries;
    QHash<QString, qsizetype> m_index;
    // The gone entries by last sight, oldest first: the first to make room.
    std::set<std::pair<qint64, qsizetype>> m_gone;
    qint64 m_dropped = 0;
    int m_goneAfter;
    int m_round = 0;
    qsizetype m_answeredThisRound = 0;
};
