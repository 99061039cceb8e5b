#pragma once

#include "devicelist/device_record.h"
#include "devicelist/site_plan.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// The one place that decides, device by device, what answered a site's
// plan: each planned station answers once, through the first device the
// plan's lookup gives it to; another device claiming it after that is
// unexpected. Devices are added as they answer and, when watched, removed
// as they go away; a removed device's station is missing again until a
// device answers for it.
class SiteTally
{
public:
    // What one device is against the plan: the plan's match, made
    // Unexpected where its station has answered already. planned indexes
    // plan().devices().
    using Verdict = SitePlan::Match;
    // A station no device answers for.
    static Verdict missingStation(qsizetype station) { return {SitePlan::Status::Missing, station, 0, {}}; }

    struct Summary
    {
        qsizetype planned = 0;
        qsizetype answered = 0;   // stations answered for, the Differs among them
        qsizetype missing = 0;
        qsizetype unexpected = 0;
        qsizetype differs = 0;
    };

    explicit SiteTally(SitePlan plan);

    const SitePlan &plan() const { return m_plan; }

    // A device that answers, for the first time or again: answering again,
    // perhaps with changed values, it is decided anew.
    Verdict add(const DeviceRecord::Fields &device);
    // A device that went away: the station it answered for is missing again.
    // Returns the verdict it had; Missing when it was not there.
    Verdict remove(const DeviceRecord::Fields &device);
    // Whether the device (by its MAC, else its IP) is counted now.
    bool contains(const DeviceRecord::Fields &device) const;
    // The verdict the device has now; nothing when it is not counted.
    std::optional<Verdict> verdictOf(const DeviceRecord::Fields &device) const;

    // The stations no device answers for, in the plan's order.
    QList<qsizetype> missing() const;
    Summary summary() const;

private:
    static QString keyOf(const DeviceRecord::Fields &device);
    Verdict release(const QString &key);

    SitePlan m_plan;
    // Devices counted now, by key, with their verdicts.
    QHash<QString, Verdict> m_devices;
    // The key of the device answering for each station; empty when missing.
    QList<QString> m_answeredBy;
    qsizetype m_answered = 0;
    qsizetype m_differs = 0;
    qsizetype m_unexpected = 0;
};
