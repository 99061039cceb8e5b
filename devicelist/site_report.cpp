#include "devicelist/site_report.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/visible_text.h"

#include <QCollator>
#include <QFileInfo>
#include <QHash>
#include <QSysInfo>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using Field = DeviceRecord::Field;

// The export's header label of a device field: "IP Address", "MAC Address", ...
QString fieldHeader(Field field)
{
    return DeviceExport::headerLabels().value(DeviceTable::columnOf(field));
}

// The report's tables by status, and the versions found, filled row by row
// in the order the comparison lays the rows out.
class StatusTables
{
public:
    explicit StatusTables(const QLocale &locale);
    void add(const SiteRow &row);
    // Missing, differs, unexpected, answered; the versions found; the
    // stations not on their planned version.
    QList<SiteReport::Table> take();

private:
    // A value as the table shows it, and visible.
    QString cell(const DeviceRecord::Fields &fields, Field field) const
    {
        return visibleText(DeviceTable::shownCell(DeviceTable::columnOf(field), fields[field], m_locale));
    }
    SiteReport::Table versions() const;

    const QLocale &m_locale;
    SiteReport::Table m_missing;
    SiteReport::Table m_differs;
    SiteReport::Table m_unexpected;
    SiteReport::Table m_answered;
    SiteReport::Table m_offVersion;
    QHash<QString, qsizetype> m_versionCounts;
};

StatusTables::StatusTables(const QLocale &locale)
    : m_locale(locale)
{
    const QString name = SiteReport::tr("Name or location");
    const QString plannedIp = SiteRows::plannedIpLabel();
    const QString plannedVersion = SiteRows::plannedVersionLabel();
    const QString ip = fieldHeader(DeviceRecord::Ip);
    const QString serial = fieldHeader(DeviceRecord::Serial);
    const QString mac = fieldHeader(DeviceRecord::Mac);
    const QString version = fieldHeader(DeviceRecord::Version);
    m_missing.header = {name, mac, serial, plannedIp};
    m_differs.header = {name, ip, mac, version, SiteReport::tr("What differs"), plannedIp, plannedVersion};
    m_unexpected.header = {ip, serial, mac, version, fieldHeader(DeviceRecord::Description)};
    m_answered.header = {name, ip, serial, mac, version, SiteReport::tr("Note")};
    m_offVersion = {SiteReport::tr("Stations not on their planned version"), {name, ip, mac, version, plannedVersion},
                    {}};
}

void StatusTables::add(const SiteRow &row)
{
    // Plan text bounded as a device's is.
    const DeviceRecord::Fields device = DeviceRecord(row.fields).fields;
    const DeviceRecord::Fields planned =
            DeviceRecord({row.plannedIp, QString(), QString(), row.plannedVersion, row.plannedName}).fields;
    const QString station = cell(planned, DeviceRecord::Description);
    switch (row.status) {
    case SiteRow::Status::Missing:
        m_missing.rows << QStringList{station, cell(device, DeviceRecord::Mac), cell(device, DeviceRecord::Serial),
                                      cell(planned, DeviceRecord::Ip)};
        return;
    case SiteRow::Status::Gone:
    case SiteRow::Status::Back:
        return;
    case SiteRow::Status::Unexpected:
        m_unexpected.rows << QStringList{cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Serial),
                                         cell(device, DeviceRecord::Mac), cell(device, DeviceRecord::Version),
                                         cell(device, DeviceRecord::Description)};
        break;
    case SiteRow::Status::Differs:
        m_differs.rows << QStringList{station, cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Mac),
                                      cell(device, DeviceRecord::Version), SiteRows::differencesText(row.differences),
                                      cell(planned, DeviceRecord::Ip), cell(planned, DeviceRecord::Version)};
        break;
    case SiteRow::Status::Answered:
        m_answered.rows << QStringList{station, cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Serial),
                                       cell(device, DeviceRecord::Mac), cell(device, DeviceRecord::Version),
                                       SitePlan::matchNoteText(row.matched)};
        break;
    }
    ++m_versionCounts[cell(device, DeviceRecord::Version)];
    if (row.differences & SitePlan::VersionDiffers) {
        m_offVersion.rows << QStringList{station, cell(device, DeviceRecord::Ip), cell(device, DeviceRecord::Mac),
                                         cell(device, DeviceRecord::Version), cell(planned, DeviceRecord::Version)};
    }
}

SiteReport::Table StatusTables::versions() const
{
    // The commonest first, then as people order them (1.9 before 1.10).
    QList<std::pair<QString, qsizetype>> byCount;
    for (auto it = m_versionCounts.cbegin(); it != m_versionCounts.cend(); ++it)
        byCount.append({it.key(), it.value()});
    QCollator natural(m_locale);
    natural.setNumericMode(true);
    std::sort(byCount.begin(), byCount.end(), [&natural](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : natural.compare(a.first, b.first) < 0;
    });
    SiteReport::Table versions{SiteReport::tr("Versions found"),
                               {fieldHeader(DeviceRecord::Version), SiteReport::tr("Devices")}, {}};
    for (const auto &[found, count] : std::as_const(byCount))
        versions.rows << QStringList{found, m_locale.toString(count)};
    return versions;
}

QList<SiteReport::Table> StatusTables::take()
{
    const auto counted = [this](const QString &title, SiteReport::Table &table) {
        table.title = SiteReport::tr("%1 (%2)").arg(title, m_locale.toString(table.rows.size()));
        return std::move(table);
    };
    return {counted(SiteReport::tr("Missing"), m_missing), counted(SiteReport::tr("Differs"), m_differs),
            counted(SiteReport::tr("Unexpected"), m_unexpected), counted(SiteReport::tr("Answered"), m_answered),
            versions(), std::move(m_offVersion)};
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

SiteReport SiteReport::build(const Occasion &occasion, const SitePlan &plan, const SiteRows::Compared &compared,
                             const QLocale &locale)
{
    StatusTables tables(locale);
    for (const SiteRow &row : compared.rows)
        tables.add(row);

    SiteReport report;
    report.title = tr("Hand-over report: %1").arg(visibleText(occasion.site));
    report.facts = {
        {tr("Date"), locale.toString(occasion.time, QLocale::LongFormat)},
        {tr("Computer"), visibleText(occasion.computer)},
        {tr("Interfaces"), occasion.interfaces.isEmpty() ? tr("none") : occasion.interfaces.join(u", "_s)},
        {tr("Plan"), tr("%1, %2 planned stations").arg(visibleText(QFileInfo(occasion.planPath).fileName()),
                                                       locale.toString(plan.devices().size()))},
    };
    report.summary = summaryText(compared.summary, locale);
    report.tables = tables.take();
    return report;
}
