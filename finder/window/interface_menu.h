#pragma once

#include <QObject>
#include <QStringList>

class DiscoveryEndpoint;
class QMenu;

// The user's choice of interfaces as it is kept: names, empty meaning all.
// Names not up now stay in it for when they come back.
namespace InterfaceSelection {

// The chosen names that are up now; all (empty) when none of them is.
QStringList inEffect(const QStringList &kept, const QStringList &up);
// The names the menu shows checked: those in effect, or all when none is.
QStringList checked(const QStringList &kept, const QStringList &up);
// The choice kept after checking or unchecking one of the interfaces up.
QStringList toggled(const QStringList &kept, const QStringList &up, const QString &name, bool checked);

} // namespace InterfaceSelection

// The context menu's "Interfaces": a check box per interface the broadcast
// can leave through, restricting it as --interface does. The choice is kept
// with QSettings, apart from the layout, which Reset layout forgets.
class InterfaceMenu : public QObject
{
    Q_OBJECT

public:
    // The menu belongs to the context menu, which places it.
    InterfaceMenu(DiscoveryEndpoint &endpoint, QMenu &contextMenu);

    QMenu *menu() const { return m_menu; }
    // Hands the endpoint the kept choice as far as its interfaces are up now.
    void apply() const;

Q_SIGNALS:
    // The user checked or unchecked an interface; the choice is kept and applied.
    void changed();

private:
    void rebuild();
    void toggle(const QString &name, bool checked);

    DiscoveryEndpoint &m_endpoint;
    QMenu *m_menu;
};
