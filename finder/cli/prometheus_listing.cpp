#include "finder/cli/prometheus_listing.h"

#include "devicelist/device_table.h"
#include "devicelist/found_devices.h"
#include "devicelist/prometheus_exposition.h"
#include "devicelist/site_tally.h"

#include <QDateTime>
#include <QHostAddress>

using namespace Qt::StringLiterals;

void PrometheusListing::start(const QList<BroadcastInterface> &interfaces)
{
    m_interfaces = interfaces;
    m_startMsecs = QDateTime::currentMSecsSinceEpoch();
    m_elapsed.start();
}

QString PrometheusListing::interfaceOf(const DeviceRecord &device) const
{
    // The interface the reply came in on; the subnets only guess it.
    if (!device.origin.interfaceName.isEmpty())
        return device.origin.interfaceName;

    bool ok = false;
    const quint32 address = QHostAddress(device.fields[DeviceRecord::Ip]).toIPv4Address(&ok);
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

QByteArray PrometheusListing::text(const FoundDevices &devices, bool succeeded, const SiteTally *tally,
                                   qint64 repliesDropped) const
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

    const AnswerMarks &marks = devices.answerMarks();
    metrics.addGauge(u"veltrin_devices_answered"_s, u"Devices (distinct MAC addresses) that answered the scan."_s);
    metrics.addSample(marks.devices());
    metrics.addGauge(u"veltrin_replies_received"_s, u"Device replies the scan received, repeats included."_s);
    metrics.addSample(marks.answers());
    metrics.addGauge(u"veltrin_replies_dropped"_s,
                     u"Device replies the scan dropped: its table was full (%1 rows). Devices among them "
                     u"are missing from the other metrics."_s.arg(DeviceRecord::MaxDevices));
    metrics.addSample(double(repliesDropped));

    metrics.addGauge(u"veltrin_device_info"_s, u"A device that answered the scan, as its first reply described it."_s);
    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (marks.mark(int(i)).isRepeat())
            continue;
        const DeviceRecord &device = devices.at(i);
        PrometheusExposition::Labels labels;
        for (const DeviceRecord::Field f : {DeviceRecord::Ip, DeviceRecord::Mac, DeviceRecord::Serial,
                                            DeviceRecord::Version, DeviceRecord::Description})
            labels.append({DeviceRecord::fieldKey(f), device.fields[f]});
        labels.append({u"interface"_s, interfaceOf(device)});
        metrics.addSample(1, labels);
    }
    if (!tally)
        return metrics.text();

    metrics.addGauge(u"veltrin_expected_device_up"_s,
                     u"1 if the planned device answered the scan (as planned or not), 0 if it is missing."_s);
    const QList<qsizetype> missing = tally->missing();
    const QList<SitePlan::Device> &planned = tally->plan().devices();
    for (qsizetype p = 0, nextMissing = 0; p < planned.size(); ++p) {
        const bool up = nextMissing >= missing.size() || missing[nextMissing] != p;
        nextMissing += up ? 0 : 1;
        const SitePlan::Device &device = planned[p];
        metrics.addSample(up ? 1 : 0, {{u"mac"_s, device.mac},
                                       {u"serial"_s, device.serial},
                                       {u"ip"_s, device.ip},
                                       {u"name"_s, device.name}});
    }
    metrics.addGauge(u"veltrin_expected_devices_missing"_s, u"Planned devices that did not answer the scan."_s);
    metrics.addSample(double(missing.size()));
    return metrics.text();
}
