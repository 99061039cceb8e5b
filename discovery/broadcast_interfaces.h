#pragma once

#include <QList>

// Indexes of the IPv4 interfaces a limited broadcast should leave through:
// up, running, broadcast-capable, not loopback and holding an IPv4 address.
QList<int> broadcastInterfaceIndexes();
