#pragma once

#include "discovery/broadcast_interfaces.h"

#include <QList>
#include <QStringList>

// Which interfaces carry the limited broadcast. Interfaces on the same IPv4
// subnets (wired and Wi-Fi on one LAN) reach the same devices, so they share
// one request: otherwise every device there answers once per interface and
// is listed as often.
namespace BroadcastPlan {

// Interfaces on the same subnets, in the order to try them: the first
// carries the request, the others stand in if its send fails.
using Group = QList<BroadcastInterface>;

// The interfaces grouped so that every subnet gets exactly one request.
// One whose subnets are all reached through an interface with more of them
// joins that interface's group; different subnets keep their own group.
QList<Group> groupBySubnet(const QList<BroadcastInterface> &interfaces);

struct Selection
{
    QList<BroadcastInterface> interfaces;
    QStringList unknownNames;
};

// The named interfaces, in the system's order; an empty list of names
// selects every interface.
Selection select(const QList<BroadcastInterface> &interfaces, const QStringList &names);

} // namespace BroadcastPlan
