#pragma once

#include <QStringList>

class DiscoveryEndpoint;
struct BroadcastInterface;

// An interface with its IPv4 subnets: "eth0 (192.168.1.0/24)".
QString interfaceText(const BroadcastInterface &interface);

// Where the endpoint's last request went out, one line each, for the user to
// compare with where the devices are: "eth0 (192.168.1.0/24)" for each
// interface that carried the limited broadcast, or else the destination.
QStringList requestRoutes(const DiscoveryEndpoint &endpoint);
