#pragma once

#include "devicelist/site_plan.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class DeviceTable;
struct CommandLine;

// --expect for --list: the status of each listed row against the site's
// plan, and rows for the planned devices that none matched.
class ExpectedDevices
{
public:
    // Prints the plan's error and returns false when it cannot be used.
    bool load(const CommandLine &commandLine);
    bool isActive() const { return m_active; }
    const SitePlan &plan() const { return m_plan; }

    // "answered", "differs" or "unexpected" for a filled table row, from its
    // values as received. The same row asked again gets the same answer.
    QString statusOfRow(const DeviceTable &table, int tableRow);
    // What the row's match forgave (SitePlan::matchNoteText); empty where
    // nothing was, or the row did not answer for a planned device.
    QString matchNoteOfRow(const DeviceTable &table, int tableRow) const;
    // The table's six cells for each planned device no row matched:
    // no number, the plan's values, its name as the description.
    QList<QStringList> missingRows() const;
    bool anyMissing() const;

private:
    SitePlan m_plan;
    // Planned device -> MAC key of the device that answered for it.
    QHash<qsizetype, QString> m_answeredBy;
    bool m_active = false;
};
