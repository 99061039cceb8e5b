#include "discovery/broadcast_plan.h"

#include <algorithm>

namespace BroadcastPlan {
namespace {

bool covers(const BroadcastInterface &wider, const BroadcastInterface &interface)
{
    return std::all_of(interface.subnets.cbegin(), interface.subnets.cend(),
                       [&wider](const Ipv4Subnet &subnet) { return wider.subnets.contains(subnet); });
}

} // namespace

QList<Group> groupBySubnet(const QList<BroadcastInterface> &interfaces)
{
    // Interfaces with more subnets first, so one holding two subnets takes
    // in those holding either; equal ones keep the system's order.
    QList<BroadcastInterface> ordered = interfaces;
    std::stable_sort(ordered.begin(), ordered.end(), [](const BroadcastInterface &a, const BroadcastInterface &b) {
        return a.subnets.size() > b.subnets.size();
    });

    QList<Group> groups;
    for (const BroadcastInterface &interface : std::as_const(ordered)) {
        const auto home = std::find_if(groups.begin(), groups.end(), [&interface](const Group &group) {
            return covers(group.front(), interface);
        });
        if (home != groups.end())
            home->append(interface);
        else
            groups.append(Group{interface});
    }
    return groups;
}

Selection select(const QList<BroadcastInterface> &interfaces, const QStringList &names)
{
    Selection selection;
    if (names.isEmpty()) {
        selection.interfaces = interfaces;
        return selection;
    }
    for (const QString &name : names) {
        const bool known = std::any_of(interfaces.cbegin(), interfaces.cend(),
                                       [&name](const BroadcastInterface &i) { return i.name == name; });
        if (!known && !selection.unknownNames.contains(name))
            selection.unknownNames.append(name);
    }
    for (const BroadcastInterface &interface : interfaces) {
        if (names.contains(interface.name))
            selection.interfaces.append(interface);
    }
    return selection;
}

} // namespace BroadcastPlan
