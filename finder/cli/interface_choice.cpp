#include "finder/cli/interface_choice.h"

#include "discovery/broadcast_interfaces.h"
#include "discovery/broadcast_plan.h"
#include "finder/cli/terminal_output.h"

#include <QNetworkInterface>

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

// A loopback interface exists but is never used, which "unknown" would hide.
QString unknownInterfaceError(const QStringList &names)
{
    for (const QString &name : names) {
        if (QNetworkInterface::interfaceFromName(name).flags().testFlag(QNetworkInterface::IsLoopBack)) {
            return u"\"%1\" is a loopback interface, which the broadcast never uses. Usable interfaces: %2"_s.arg(
                    name, usableInterfaceList());
        }
    }
    return u"Unknown interface \"%1\". Usable interfaces: %2"_s.arg(names.join(u"\", \""_s), usableInterfaceList());
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
    printError(unknownInterfaceError(selection.unknownNames));
    return false;
}

} // namespace InterfaceChoice
