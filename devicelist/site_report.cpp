#include "devicelist/site_report.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/visible_text.h"

#include <QCollator>
#include <QFileInfo>
#include <QHash>
#include <QSysInfo>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using Field = DeviceRecord::Field;

// The export's header label of a device field: "IP Address", "MAC Address", ...
QString fieldHeader(Field field)
{
    return DeviceExport::headerLabels().value(DeviceTable::columnOf(field));
}

// A planned station's values as a device's fields, its name as the
// description: bounded as a device's are.
DeviceRecord::Fields plannedFields(const SitePlan::Device &station)
{
    return DeviceRecord({station.ip, station.serial, station.mac, station.version, station.name}).fields;
}

QString differencesText(quint8 differences)
{
    QStringList fields;
    if (differences & SitePlan::IpDiffers)
        fields << SiteReport::tr("IP");
    if (differences & SitePlan::VersionDiffers)
        fields << SiteReport::tr("version");
    return fields.join(u", "_s);
}

} // namespace

SiteReport::Occasion SiteReport::Occasion::now(const QString &site, const QString &planPath,
                                               const QStringList &interfaces)
{
    return {site, planPath, QDateTime::currentDateTime(), QSysInfo::machineHostName(), interfaces};
}

QString SiteReport::summaryText(const SiteTally::Summary &s, const QLocale &locale)
{
    return tr("%1 of %2 planned devices answered \u00b7 %3 missing \u00b7 %4 unexpected \u00b7 %5 differ")
            .arg(locale.toString(s.answered), locale.toString(s.planned), locale.toString(s.missing),
                 locale.toString(s.unexpected), locale.toString(s.differs));
}

QString SiteReport::defaultSiteName(const QString &planPath)
{
    return QFileInfo(planPath).completeBaseName();
}

SiteReport SiteReport::build(const Occasion &occasion, const SitePlan &plan,
                             const QList<DeviceRecord::Fields> &devices, const QLocale &locale)
{
    // A value as the table shows it, and visible.
    const auto cell = [&locale](const DeviceRecord::Fields &fields, Field field) {
        return visibleText(DeviceTable::shownCell(DeviceTable::columnOf(field), fields[field], locale));
    };
    const QString name = tr("Name or location");
    const QString plannedIp = tr("Planned IP");
    const QString plannedVersion = tr("Planned version");
    const QString ip = fieldHeader(DeviceRecord::Ip);
    const QString serial = fieldHeader(DeviceRecord::Serial);
    const QString mac = fieldHeader(DeviceRecord::Mac);
    const QString version = fieldHeader(DeviceRecord::Version);

    // The stations in the plan's order, each with the device answering for
    // it; the unexpected devices as they came.
    SiteTally tally(plan);
    QList<std::optional<std::pair<DeviceRecord::Fields, SiteTally::Verdict>>> stations(plan.devices().size());
    Table unexpected{QString(), {ip, serial, mac, version, fieldHeader(DeviceRecord::Description)}, {}};
    QHash<QString, qsizetype> versionCounts;
    for (const DeviceRecord::Fields &device : devices) {
        if (tally.contains(device))
            continue;
        const SiteTally::Verdict verdict = tally.add(device);
        ++versionCounts[cell(device, DeviceRecord::Version)];
        if (verdict.planned < 0) {
            unexpected.rows << QStringList{cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Serial),
                                           cell(device, DeviceRecord::Mac), cell(device, DeviceRecord::Version),
                                           cell(device, DeviceRecord::Description)};
        } else {
            stations[verdict.planned] = std::pair{device, verdict};
        }
    }

    Table missing{QString(), {name, mac, serial, plannedIp}, {}};
    Table differs{QString(), {name, ip, mac, version, tr("What differs"), plannedIp, plannedVersion}, {}};
    Table answered{QString(), {name, ip, serial, mac, version, tr("Note")}, {}};
    Table offVersion{tr("Stations not on their planned version"), {name, ip, mac, version, plannedVersion}, {}};
    for (qsizetype p = 0; p < stations.size(); ++p) {
        const DeviceRecord::Fields planned = plannedFields(plan.devices()[p]);
        const QString station = cell(planned, DeviceRecord::Description);
        if (!stations[p]) {
            missing.rows << QStringList{station, cell(planned, DeviceRecord::Mac), cell(planned, DeviceRecord::Serial),
                                        cell(planned, DeviceRecord::Ip)};
            continue;
        }
        const auto &[device, verdict] = *stations[p];
        if (verdict.status == SitePlan::Status::Differs) {
            differs.rows << QStringList{station, cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Mac),
                                        cell(device, DeviceRecord::Version), differencesText(verdict.differences),
                                        cell(planned, DeviceRecord::Ip), cell(planned, DeviceRecord::Version)};
        } else {
            answered.rows << QStringList{station, cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Serial),
                                         cell(device, DeviceRecord::Mac), cell(device, DeviceRecord::Version),
                                         SitePlan::matchNoteText(verdict.notes)};
        }
        if (verdict.differences & SitePlan::VersionDiffers) {
            offVersion.rows << QStringList{station, cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Mac),
                                           cell(device, DeviceRecord::Version), cell(planned, DeviceRecord::Version)};
        }
    }
    const auto counted = [&locale](const QString &title, const Table &table) {
        return tr("%1 (%2)").arg(title, locale.toString(table.rows.size()));
    };
    missing.title = counted(tr("Missing"), missing);
    differs.title = counted(tr("Differs"), differs);
    unexpected.title = counted(tr("Unexpected"), unexpected);
    answered.title = counted(tr("Answered"), answered);

    // The versions found, the commonest first, then as people order them (1.9 before 1.10).
    QList<std::pair<QString, qsizetype>> byCount;
    for (auto it = versionCounts.cbegin(); it != versionCounts.cend(); ++it)
        byCount.append({it.key(), it.value()});
    QCollator natural(locale);
    natural.setNumericMode(true);
    std::sort(byCount.begin(), byCount.end(), [&natural](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : natural.compare(a.first, b.first) < 0;
    });
    Table versions{tr("Versions found"), {version, tr("Devices")}, {}};
    for (const auto &[found, count] : std::as_const(byCount))
        versions.rows << QStringList{found, locale.toString(count)};

    SiteReport report;
    report.title = tr("Hand-over report: %1").arg(visibleText(occasion.site));
    report.facts = {
        {tr("Date"), locale.toString(occasion.time, QLocale::LongFormat)},
        {tr("Computer"), visibleText(occasion.computer)},
        {tr("Interfaces"), occasion.interfaces.isEmpty() ? tr("none") : occasion.interfaces.join(u", "_s)},
        {tr("Plan"), tr("%1, %2 planned stations").arg(visibleText(QFileInfo(occasion.planPath).fileName()),
                                                       locale.toString(plan.devices().size()))},
    };
    report.summary = summaryText(tally.summary(), locale);
    report.tables = {missing, differs, unexpected, answered, versions, offVersion};
    return report;
}
