#include "interface_choice.h"

#include "broadcast_interfaces.h"
#include "broadcast_plan.h"
#include "terminal_output.h"

using namespace Qt::StringLiterals;

namespace InterfaceChoice {
namespace {

// Interfaces the broadcast can use, for the error about an unknown name.
QString usableInterfaceList()
{
    QStringList names;
    for (const BroadcastInterface &interface : broadcastInterfaces())
        names << interface.name;
    return names.isEmpty() ? u"none (no interface is up with an IPv4 address)"_s : names.join(u", "_s);
}

} // namespace

DiscoveryEndpoint::Settings withInterfaces(DiscoveryEndpoint::Settings settings, const QStringList &names)
{
    settings.interfaceNames = names;
    return settings;
}

bool namesAreKnown(const QStringList &names)
{
    const BroadcastPlan::Selection selection = BroadcastPlan::select(broadcastInterfaces(), names);
    if (selection.unknownNames.isEmpty())
        return true;
    printError(u"Unknown interface \"%1\". Usable interfaces: %2"_s.arg(selection.unknownNames.join(u"\", \""_s),
                                                                        usableInterfaceList()));
    return false;
}

} // namespace InterfaceChoice
