#include "request_routes.h"

#include "broadcast_interfaces.h"

#include <QNetworkInterface>

using namespace Qt::StringLiterals;

namespace {

QString interfaceLine(const QNetworkInterface &interface)
{
    QStringList addresses;
    const QList<QNetworkAddressEntry> entries = interface.addressEntries();
    for (const QNetworkAddressEntry &entry : entries) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            addresses << u"%1/%2"_s.arg(entry.ip().toString()).arg(entry.prefixLength());
    }
    return u"%1 (%2)"_s.arg(interface.humanReadableName(), addresses.join(u", "_s));
}

} // namespace

QStringList requestRoutes(const DiscoveryEndpoint::Settings &settings)
{
    // The same choice DiscoveryEndpoint::send() makes.
    const bool limitedBroadcast = settings.destinationHost == QHostAddress(QHostAddress::Broadcast);
    QStringList routes;
    if (settings.sendOnEveryInterface && limitedBroadcast) {
        const QList<int> indexes = broadcastInterfaceIndexes();
        const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
        for (const QNetworkInterface &interface : interfaces) {
            if (indexes.contains(interface.index()))
                routes << interfaceLine(interface);
        }
    }
    if (routes.isEmpty()) {
        routes << u"%1, UDP port %2"_s.arg(settings.destinationHost.toString())
                          .arg(settings.destinationPort);
    }
    return routes;
}
