#pragma once

#include <QString>
#include <QStringList>

// The command that gives this computer an address beside a device in
// another subnet, so it can reach it: `sudo ip addr add <address>/24 dev
// <interface>`. The reply does not tell the device's prefix, so its /24 is
// assumed; the address is the highest one of that /24 that is neither the
// device's nor any of taken (the other devices found). Empty when the
// device's address is not IPv4 or no such address is left.
QString reachCommand(const QString &deviceAddress, const QString &interfaceName, const QStringList &taken);
