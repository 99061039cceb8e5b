#pragma once

#include "broadcast_interfaces.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

class DeviceTable;
class SitePlan;

// veltrin-finder --list --prometheus: one scan as the metrics node
// exporter's textfile collector serves. A scan that could not bind or send
// says only that (veltrin_scan_success 0, its time and duration): nothing
// about devices is made up from a scan that did not happen. Devices are
// named by their serial and MAC as they sent them.
class PrometheusListing
{
public:
    // The scan starts now, broadcasting through `interfaces`.
    void start(const QList<BroadcastInterface> &interfaces);
    // The metrics of the scan that ends now; with a plan, each planned
    // device's state too.
    QByteArray text(const DeviceTable &table, bool succeeded, const SitePlan *plan) const;

private:
    // The interface a reply from `ip` came in through: the one on its
    // subnet; empty for an address beyond the broadcast's subnets.
    QString interfaceOf(const QString &ip) const;

    QList<BroadcastInterface> m_interfaces;
    qint64 m_startMsecs = 0;   // since the epoch
    QElapsedTimer m_elapsed;
};
