#include "finder/window/interface_menu.h"

#include "discovery/broadcast_interfaces.h"
#include "discovery/discovery_endpoint.h"
#include "finder/core/request_routes.h"
#include "finder/window/window_log.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

const auto ChoiceKey = u"interfaces"_s;

QStringList keptChoice()
{
    return QSettings().value(ChoiceKey).toStringList();
}

QStringList namesOf(const QList<BroadcastInterface> &interfaces)
{
    QStringList names;
    for (const BroadcastInterface &interface : interfaces)
        names << interface.name;
    return names;
}

QStringList namesUp()
{
    return namesOf(broadcastInterfaces());
}

} // namespace

namespace InterfaceSelection {

QStringList inEffect(const QStringList &kept, const QStringList &up)
{
    QStringList chosen;
    for (const QString &name : up) {
        if (kept.contains(name))
            chosen << name;
    }
    return chosen;
}

QStringList checked(const QStringList &kept, const QStringList &up)
{
    const QStringList chosen = inEffect(kept, up);
    return chosen.isEmpty() ? up : chosen;
}

QStringList toggled(const QStringList &kept, const QStringList &up, const QString &name, bool checked)
{
    QStringList chosen = InterfaceSelection::checked(kept, up);
    if (checked && !chosen.contains(name))
        chosen << name;
    else if (!checked)
        chosen.removeAll(name);
    QStringList away;
    for (const QString &other : kept) {
        if (!up.contains(other))
            away << other;
    }
    // Every interface up, and none kept for later: no restriction, so one
    // that comes up later is used too.
    if (away.isEmpty() && chosen.size() == up.size())
        return {};
    return chosen + away;
}

} // namespace InterfaceSelection

InterfaceMenu::InterfaceMenu(DiscoveryEndpoint &endpoint, QMenu &contextMenu)
    : QObject(&contextMenu)
    , m_endpoint(endpoint)
    , m_menu(new QMenu(tr("&Interfaces"), &contextMenu))
{
    m_menu->setObjectName(u"interfacesMenu"_s);
    connect(m_menu, &QMenu::aboutToShow, this, &InterfaceMenu::rebuild);
}

void InterfaceMenu::apply() const
{
    const QStringList names = InterfaceSelection::inEffect(keptChoice(), namesUp());
    qCDebug(lcWindow).noquote() << "broadcasting through"
                                << (names.isEmpty() ? u"every interface that is up"_s : names.join(u", "_s));
    m_endpoint.setInterfaceNames(names);
}

void InterfaceMenu::rebuild()
{
    m_menu->clear();
    const QList<BroadcastInterface> interfaces = broadcastInterfaces();
    if (interfaces.isEmpty()) {
        m_menu->addAction(tr("No interface is up with an IPv4 address"))->setEnabled(false);
        return;
    }
    const QStringList chosen = InterfaceSelection::checked(keptChoice(), namesOf(interfaces));
    for (const BroadcastInterface &interface : interfaces) {
        QAction *const action = m_menu->addAction(interfaceText(interface));
        action->setCheckable(true);
        action->setChecked(chosen.contains(interface.name));
        // The broadcast never goes nowhere: the last one checked stays.
        action->setEnabled(!action->isChecked() || chosen.size() > 1);
        connect(action, &QAction::toggled, this,
                [this, name = interface.name](bool checked) { toggle(name, checked); });
    }
}

void InterfaceMenu::toggle(const QString &name, bool checked)
{
    QSettings settings;
    const QStringList kept = InterfaceSelection::toggled(keptChoice(), namesUp(), name, checked);
    if (kept.isEmpty())
        settings.remove(ChoiceKey);
    else
        settings.setValue(ChoiceKey, kept);
    apply();
    Q_EMIT changed();
}
