#pragma once

#include "discovery/broadcast_interfaces.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

struct DeviceRecord;
class FoundDevices;
class SiteTally;

// veltrin-finder --list --prometheus: one scan as the metrics node
// exporter's textfile collector serves. A scan that failed (a plan or an
// interface it could not use, no bind, no send, a signal before its end)
// says only that (veltrin_scan_success 0, its time and duration): nothing
// about devices is made up from a scan that did not happen, or not whole. Devices are
// named by their serial and MAC as they sent them.
class PrometheusListing
{
public:
    // The scan starts now, broadcasting through `interfaces`.
    void start(const QList<BroadcastInterface> &interfaces);
    // The metrics of the scan that ends now; with a plan's tally, each
    // planned device's state too. repliesDropped: device replies the full
    // table had no room for.
    QByteArray text(const FoundDevices &devices, bool succeeded, const SiteTally *tally,
                    qint64 repliesDropped = 0) const;

private:
    // The interface the device's reply came in through, as the system
    // told; else the one on the subnet of its IP; empty for an address
    // beyond the broadcast's subnets.
    QString interfaceOf(const DeviceRecord &device) const;

    QList<BroadcastInterface> m_interfaces;
    qint64 m_startMsecs = 0;   // since the epoch
    QElapsedTimer m_elapsed;
};
