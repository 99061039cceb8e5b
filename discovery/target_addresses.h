#pragma once

#include <algorithm>

#include "discovery/broadcast_interfaces.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Unicast targets for devices the broadcast cannot reach (another subnet,
// behind a router). A target is one address (10.5.0.7), a CIDR block
// (10.5.0.0/24) or an inclusive range (10.5.0.10-10.5.0.99).
struct TargetRange
{
    quint32 first = 0;
    quint32 last = 0;

    quint64 size() const { return quint64(last) - first + 1; }
    bool operator==(const TargetRange &) const = default;
};

struct TargetList
{
    // The most addresses one query sends to: a /16, paced, takes half a minute.
    static constexpr quint64 MaxAddresses = 65536;

    QList<TargetRange> ranges;
    // Set when a target could not be used; ranges is then empty.
    QString error;

    quint64 addressCount() const;
    bool contains(quint32 address) const
    {
        return std::any_of(ranges.begin(), ranges.end(),
                           [address](const TargetRange &r) { return address >= r.first && address <= r.last; });
    }
    bool isEmpty() const { return ranges.isEmpty(); }

    // The list without the addresses of the given subnets: the broadcast
    // already asks the devices there, and a second request would list each
    // of them twice.
    TargetList without(const QList<Ipv4Subnet> &subnets) const;
};

// One address, block or range, surrounding blanks ignored; nothing for a malformed one. A CIDR
// block up to /30 stands for its hosts, without network and broadcast address.
std::optional<TargetRange> parseTargetRange(const QString &target);

// Every target, merged into ascending ranges without overlaps. An error names
// the first target that is malformed or is no single host (the broadcast
// address, 0.0.0.0, multicast or 240.0.0.0/4), or says the total is over
// MaxAddresses.
// Targets may also be separated by commas or blanks within one string, as the
// window's dialog takes them.
TargetList parseTargetAddresses(const QStringList &arguments);
