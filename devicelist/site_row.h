#pragma once

#include "devicelist/device_record.h"
#include "devicelist/site_plan.h"

#include <QString>
#include <QStringList>

// One line of a site's comparison or watch, as a value: a device that
// answered, or a planned station no device answers for, with its status and
// the planned values. The window's site view, the listings and the report
// read these rather than cells.
struct SiteRow
{
    // The plan's four statuses first, in SitePlan::Status's order; a watch
    // without a plan adds a device that went away and one that came back.
    enum class Status { Answered, Missing, Unexpected, Differs, Gone, Back };
    static constexpr int StatusCount = 6;

    // The stable keyword of files, the clipboard and JSON, in every locale:
    // "answered", "missing", "unexpected", "differs", "gone", "back".
    static QString keyword(Status status);
    static Status fromPlan(SitePlan::Status status) { return Status(int(status)); }
    // The fields a Difference set names, by their listing keys: "ip", "version".
    static QStringList differenceKeys(quint8 differences);

    QString key;                   // the device's, or a station's that no device answers for
    qsizetype number = 0;          // the device's place in the list; 0 for a station not answered
    DeviceRecord::Fields fields;   // as received; a station not answered has its planned values
    Status status = Status::Answered;
    quint8 differences = 0;        // SitePlan::Difference flags
    SitePlan::MatchNotes matched;  // what the match with the plan forgave
    qsizetype planned = -1;        // the station, an index into the plan's devices; -1 if none
    QString plannedName;
    QString plannedIp;
    QString plannedVersion;

    // What the watch knows of the device; zero without a watch.
    bool gone = false;
    bool isNew = false;
    qint64 lastSeenMs = 0;         // of a device gone
    int goneCount = 0;             // times it went away during the watch
    qint64 awayMs = 0;             // how long it was away before it last came back
    quint8 changedFields = 0;      // DeviceRecord::Field bits changed during the watch
    DeviceRecord::Fields previous; // before the last change of each field

    bool operator==(const SiteRow &other) const = default;
    // The same line across updates: the same station, or the same device
    // outside the plan.
    bool isSameLine(const SiteRow &other) const
    {
        return planned == other.planned && (planned >= 0 || key == other.key);
    }
};
