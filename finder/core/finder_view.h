#pragma once

#include <QString>
#include <QStringList>

struct EndpointError;

// What the controller may do to the window. Kept narrow so the controller
// runs in tests against a fake.
class FinderView
{
public:
    virtual ~FinderView() = default;

    virtual void setCountLabelText(const QString &text) = 0;
    virtual void setRequestPaneText(const QString &text) = 0;
    virtual void setReplyPaneText(const QString &text) = 0;
    // A bind or send failed; the window tells the user and stays open.
    virtual void reportFailure(const EndpointError &error) = 0;
    // No device answered the last request in time: routes say where it went
    // out. A view with no place for the hint leaves these as they are.
    virtual void showNoReplyHint(const QStringList &routes) { Q_UNUSED(routes); }
    virtual void hideNoReplyHint() {}
    // Part of a send failed (one interface, some target addresses) while the
    // rest went out; the results go on. Views without a place for it ignore it.
    virtual void reportWarning(const EndpointError &error) { Q_UNUSED(error); }
};
