#include "request_routes.h"

#include "broadcast_interfaces.h"
#include "broadcast_plan.h"
#include "discovery_endpoint.h"

#include <QHostAddress>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString subnetText(const Ipv4Subnet &subnet)
{
    return u"%1/%2"_s.arg(QHostAddress(subnet.network).toString()).arg(subnet.prefixLength);
}

} // namespace

QStringList requestRoutes(const DiscoveryEndpoint &endpoint)
{
    // The endpoint sent once per group of interfaces on the same subnets,
    // through the first one that worked, and noted that one's subnets.
    const QList<Ipv4Subnet> &reached = endpoint.broadcastSubnets();
    const auto wasReached = [&reached](const Ipv4Subnet &subnet) { return reached.contains(subnet); };
    QStringList routes;
    if (!reached.isEmpty()) {
        const BroadcastPlan::Selection selection =
                BroadcastPlan::select(broadcastInterfaces(), endpoint.settings().interfaceNames);
        for (const BroadcastPlan::Group &group : BroadcastPlan::groupBySubnet(selection.interfaces)) {
            for (const BroadcastInterface &interface : group) {
                if (interface.subnets.isEmpty()
                    || !std::all_of(interface.subnets.cbegin(), interface.subnets.cend(), wasReached))
                    continue;
                QStringList subnets;
                for (const Ipv4Subnet &subnet : interface.subnets)
                    subnets << subnetText(subnet);
                routes << u"%1 (%2)"_s.arg(interface.name, subnets.join(u", "_s));
                break;
            }
        }
    }
    if (routes.isEmpty()) {
        const DiscoveryEndpoint::Settings &settings = endpoint.settings();
        routes << u"%1, UDP port %2"_s.arg(settings.destinationHost.toString()).arg(settings.destinationPort);
    }
    return routes;
}
