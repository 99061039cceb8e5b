#include "devicelist/device_roster.h"

#include <algorithm>

using namespace Qt::StringLiterals;

DeviceRoster::DeviceRoster(int goneAfter)
{
    setGoneAfter(goneAfter);
}

void DeviceRoster::setGoneAfter(int rounds)
{
    m_goneAfter = boundedGoneAfter(rounds);
}

void DeviceRoster::beginRound()
{
    ++m_round;
    m_answeredThisRound = 0;
}

QString DeviceRoster::key(const Values &reply)
{
    return reply[Mac].isEmpty() ? u"ip "_s + reply[Ip] : reply[Mac];
}

qsizetype DeviceRoster::placeForNew(bool *replacedGone)
{
    *replacedGone = m_entries.size() >= DeviceRecord::MaxDevices;
    if (!*replacedGone) {
        m_entries.append(Entry());
        return m_entries.size() - 1;
    }
    if (m_gone.empty())
        return -1;
    const qsizetype index = m_gone.begin()->second;
    m_gone.erase(m_gone.begin());
    m_index.remove(key(m_entries[index].values));
    m_entries[index] = Entry();
    return index;
}

DeviceRoster::Noted DeviceRoster::note(const Values &values, qint64 timeMs)
{
    const QString entryKey = key(values);
    const auto found = m_index.constFind(entryKey);
    if (found == m_index.cend()) {
        bool replacedGone = false;
        const qsizetype index = placeForNew(&replacedGone);
        if (index < 0) {
            ++m_dropped;
            return {};
        }
        Entry &entry = m_entries[index];
        entry.values = values;
        entry.firstSeenMs = entry.lastSeenMs = timeMs;
        entry.answers = 1;
        entry.firstRound = entry.lastRound = m_round;
        m_index.insert(entryKey, index);
        ++m_answeredThisRound;
        return {index, Event::Appeared, replacedGone};
    }

    const qsizetype index = *found;
    Entry &entry = m_entries[index];
    if (entry.lastRound != m_round)
        ++m_answeredThisRound;
    const qint64 lastSeenBefore = entry.lastSeenMs;
    quint8 changed = 0;
    for (int f = 0; f < FieldCount; ++f) {
        if (entry.values[f] != values[f]) {
            changed |= quint8(1u << f);
            entry.previous[f] = entry.values[f];
            entry.values[f] = values[f];
        }
    }
    // A repeat within a round keeps the round's marks.
    if (changed || entry.lastRound != m_round)
        entry.changedFields = changed;
    if (entry.gone)
        entry.awayMs = timeMs - entry.lastSeenMs;
    entry.lastSeenMs = timeMs;
    entry.lastRound = m_round;
    ++entry.answers;
    if (entry.gone) {
        m_gone.erase({lastSeenBefore, index});
        entry.gone = false;
        return {index, Event::Back};
    }
    return {index, changed ? std::optional(Event::Changed) : std::nullopt};
}

QList<qsizetype> DeviceRoster::endRound()
{
    QList<qsizetype> gone;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        Entry &entry = m_entries[i];
        if (!entry.gone && m_round - entry.lastRound >= m_goneAfter) {
            entry.gone = true;
            ++entry.goneCount;
            entry.changedFields = 0;
            m_gone.insert({entry.lastSeenMs, i});
            gone << i;
        }
    }
    return gone;
}

QString DeviceRoster::eventName(Event event)
{
    switch (event) {
    case Event::Appeared: return u"appeared"_s;
    case Event::Changed: return u"changed"_s;
    case Event::Gone: return u"gone"_s;
    case Event::Back: return u"back"_s;
    }
    return {};
}
