#include "finder/cli/prometheus_listing.h"

#include "devicelist/device_export.h"
#include "devicelist/device_table.h"
#include "devicelist/prometheus_exposition.h"
#include "devicelist/site_plan.h"

#include <QDateTime>
#include <QHostAddress>

using namespace Qt::StringLiterals;

void PrometheusListing::start(const QList<BroadcastInterface> &interfaces)
{
    m_interfaces = interfaces;
    m_startMsecs = QDateTime::currentMSecsSinceEpoch();
    m_elapsed.start();
}

QString PrometheusListing::interfaceOf(int row, const QString &ip, const DeviceTable &table) const
{
    // The interface the reply came in on; the subnets only guess it.
    if (QString received = table.replyOrigin(row).interfaceName; !received.isEmpty())
        return received;

    bool ok = false;
    const quint32 address = QHostAddress(ip).toIPv4Address(&ok);
    if (!ok)
        return {};
    for (const BroadcastInterface &interface : m_interfaces) {
        for (const Ipv4Subnet &subnet : interface.subnets) {
            if (subnet.contains(address))
                return interface.name;
        }
    }
    return {};
}

QByteArray PrometheusListing::text(const DeviceTable &table, bool succeeded, const SitePlan *plan) const
{
    PrometheusExposition metrics;
    metrics.addGauge(u"veltrin_scan_success"_s, u"1 if the scan could bind UDP port 1010 and send its requests, else 0."_s);
    metrics.addSample(succeeded ? 1 : 0);
    metrics.addGauge(u"veltrin_scan_timestamp_seconds"_s, u"When the scan started, in seconds since the epoch."_s);
    metrics.addSample(m_startMsecs / 1000.0);
    metrics.addGauge(u"veltrin_scan_duration_seconds"_s, u"How long the scan took, waiting for replies included."_s);
    metrics.addSample(m_elapsed.elapsed() / 1000.0);
    if (!succeeded)
        return metrics.text();

    const AnswerMarks &marks = table.answerMarks();
    metrics.addGauge(u"veltrin_devices_answered"_s, u"Devices (distinct MAC addresses) that answered the scan."_s);
    metrics.addSample(marks.devices());
    metrics.addGauge(u"veltrin_replies_received"_s, u"Device replies the scan received, repeats included."_s);
    metrics.addSample(marks.answers());

    metrics.addGauge(u"veltrin_device_info"_s, u"A device that answered the scan, as its first reply described it."_s);
    QList<SitePlan::Received> received;
    for (int row = 1; row < table.tableRowCount(); ++row) {
        const auto cell = [&table, row](int column) {
            return DeviceExport::withoutTrailingLineBreaks(table.receivedText(row, column));
        };
        const QString mac = cell(DeviceTable::MacColumn);
        if (mac.isEmpty())
            break;   // rows fill from the top
        const QString ip = cell(DeviceTable::IpColumn);
        received << SitePlan::Received{ip, cell(DeviceTable::SerialColumn), mac, cell(DeviceTable::VersionColumn)};
        if (marks.mark(row - 1).isRepeat())
            continue;
        metrics.addSample(1, {{u"ip"_s, ip},
                              {u"mac"_s, mac},
                              {u"serial"_s, received.constLast().serial},
                              {u"version"_s, received.constLast().version},
                              {u"description"_s, cell(DeviceTable::DescriptionColumn)},
                              {u"interface"_s, interfaceOf(row, ip, table)}});
    }
    if (!plan)
        return metrics.text();

    metrics.addGauge(u"veltrin_expected_device_up"_s,
                     u"1 if the planned device answered the scan (as planned or not), 0 if it is missing."_s);
    qsizetype missing = 0;
    for (const SitePlan::Match &match : plan->match(received)) {
        if (match.planned < 0)
            continue;   // unexpected devices are in veltrin_device_info
        const SitePlan::Device &device = plan->devices()[match.planned];
        const bool up = match.status != SitePlan::Status::Missing;
        missing += up ? 0 : 1;
        metrics.addSample(up ? 1 : 0, {{u"mac"_s, device.mac},
                                       {u"serial"_s, device.serial},
                                       {u"ip"_s, device.ip},
                                       {u"name"_s, device.name}});
    }
    metrics.addGauge(u"veltrin_expected_devices_missing"_s, u"Planned devices that did not answer the scan."_s);
    metrics.addSample(double(missing));
    return metrics.text();
}
