#include "finder/cli/expected_devices.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "finder/cli/expected_plan.h"

namespace {

SitePlan::Received receivedOfRow(const DeviceTable &table, int tableRow)
{
    const auto received = [&](int column) {
        return DeviceExport::withoutTrailingLineBreaks(table.receivedText(tableRow, column));
    };
    return {received(DeviceTable::IpColumn), received(DeviceTable::SerialColumn), received(DeviceTable::MacColumn),
            received(DeviceTable::VersionColumn)};
}

} // namespace

bool ExpectedDevices::load(const CommandLine &commandLine)
{
    std::optional<SitePlan> plan = readExpectedPlan(commandLine);
    if (!plan)
        return false;
    m_plan = std::move(*plan);
    m_active = true;
    return true;
}

QString ExpectedDevices::statusOfRow(const DeviceTable &table, int tableRow)
{
    const SitePlan::Received device = receivedOfRow(table, tableRow);
    const SitePlan::Match match = m_plan.classify(device);
    if (match.planned < 0)
        return SitePlan::statusName(match.status);
    // A planned device answers once; another device claiming it is not it.
    const QString mac = SitePlan::macKey(device.mac);
    const auto claimed = m_answeredBy.constFind(match.planned);
    if (claimed != m_answeredBy.cend() && *claimed != mac)
        return SitePlan::statusName(SitePlan::Status::Unexpected);
    m_answeredBy.insert(match.planned, mac);
    return SitePlan::statusName(match.status);
}

QString ExpectedDevices::matchNoteOfRow(const DeviceTable &table, int tableRow) const
{
    const SitePlan::Received device = receivedOfRow(table, tableRow);
    const SitePlan::Match match = m_plan.classify(device);
    if (match.planned < 0 || m_answeredBy.value(match.planned) != SitePlan::macKey(device.mac))
        return {};
    return SitePlan::matchNoteText(match.notes);
}

QList<QStringList> ExpectedDevices::missingRows() const
{
    QList<QStringList> rows;
    const QList<SitePlan::Device> &devices = m_plan.devices();
    for (qsizetype p = 0; p < devices.size(); ++p) {
        if (m_answeredBy.contains(p))
            continue;
        const SitePlan::Device &device = devices[p];
        rows << QStringList{QString(), device.ip, device.serial, device.mac, device.version, device.name};
    }
    return rows;
}

bool ExpectedDevices::anyMissing() const
{
    return m_answeredBy.size() < m_plan.devices().size();
}
