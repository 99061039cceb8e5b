#include "finder/core/request_routes.h"

#include "discovery/broadcast_interfaces.h"
#include "discovery/discovery_endpoint.h"

#include <QHostAddress>

using namespace Qt::StringLiterals;

namespace {

QString subnetText(const Ipv4Subnet &subnet)
{
    return u"%1/%2"_s.arg(QHostAddress(subnet.network).toString()).arg(subnet.prefixLength);
}

} // namespace

QString interfaceText(const BroadcastInterface &interface)
{
    QStringList subnets;
    for (const Ipv4Subnet &subnet : interface.subnets)
        subnets << subnetText(subnet);
    return u"%1 (%2)"_s.arg(interface.name, subnets.join(u", "_s));
}

QStringList requestRoutes(const DiscoveryEndpoint &endpoint)
{
    QStringList routes;
    for (const BroadcastInterface &route : endpoint.broadcastRoutes())
        routes << interfaceText(route);
    if (routes.isEmpty()) {
        const DiscoveryEndpoint::Settings &settings = endpoint.settings();
        routes << u"%1, UDP port %2"_s.arg(settings.destinationHost.toString()).arg(settings.destinationPort);
    }
    return routes;
}
