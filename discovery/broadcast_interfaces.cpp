#include "broadcast_interfaces.h"

#include <QNetworkInterface>

#include <algorithm>

namespace {

bool hasIPv4Address(const QNetworkInterface &interface)
{
    const QList<QNetworkAddressEntry> entries = interface.addressEntries();
    return std::any_of(entries.cbegin(), entries.cend(), [](const QNetworkAddressEntry &entry) {
        return entry.ip().protocol() == QAbstractSocket::IPv4Protocol;
    });
}

} // namespace

QList<int> broadcastInterfaceIndexes()
{
    constexpr auto required = QNetworkInterface::IsUp | QNetworkInterface::IsRunning
            | QNetworkInterface::CanBroadcast;

    QList<int> indexes;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if ((flags & required) == required && !flags.testFlag(QNetworkInterface::IsLoopBack)
            && hasIPv4Address(interface)) {
            indexes.append(interface.index());
        }
    }
    return indexes;
}
