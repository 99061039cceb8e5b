#pragma once

#include "discovery_endpoint.h"

#include <QStringList>

// Where a request sent with these settings goes out, one line each, for the
// user to compare with where the devices are: "eth0 (192.168.1.20)" for each
// interface a limited broadcast leaves through, or the unicast destination.
QStringList requestRoutes(const DiscoveryEndpoint::Settings &settings);
