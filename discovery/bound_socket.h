#pragma once

#include "discovery/endpoint_error.h"

#include <QHostAddress>

#include <variant>

// A UDP socket descriptor bound exclusively (no address sharing) to
// address:port with broadcasts allowed, or why the bind failed in the
// system's own words. The caller owns the descriptor.
std::variant<int, EndpointError> bindDiscoverySocket(const QHostAddress &address, quint16 port);
