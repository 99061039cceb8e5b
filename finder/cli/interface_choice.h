#pragma once

#include "discovery/discovery_endpoint.h"

#include <QStringList>

// --interface for the command-line modes.
namespace InterfaceChoice {

DiscoveryEndpoint::Settings withInterfaces(DiscoveryEndpoint::Settings settings, const QStringList &names);
// A name that matches nothing would quietly send nowhere: false, after
// printing which interfaces there are.
bool namesAreKnown(const QStringList &names);

} // namespace InterfaceChoice
