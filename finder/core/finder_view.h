#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

struct EndpointError;

// What the controller tells the window, or the list mode, about what
// happened: each view shows it in its own way. Kept narrow so the controller
// runs in tests against a fake. Views with no place for an event leave the
// default, which ignores it.
class FinderView
{
public:
    virtual ~FinderView() = default;

    // A refresh emptied the table: nothing is found yet.
    virtual void resultsCleared() {}
    // A refresh or query sent its request (a failure is reported apart).
    virtual void requestSent(const QString &request) { Q_UNUSED(request); }
    // A datagram arrived and the table took what it could from it: its
    // text, device reply or not, and the devices found since the clearing.
    virtual void datagramHandled(const QString &text, int foundCount) = 0;
    // A bind or send failed; the window tells the user and stays open.
    virtual void reportFailure(const EndpointError &error) = 0;
    // No device answered the last request in time: routes say where it went
    // out. Hidden again by the first reply and by the next refresh.
    virtual void showNoReplyHint(const QStringList &routes) { Q_UNUSED(routes); }
    virtual void hideNoReplyHint() {}
    // Part of a send failed (one interface, some target addresses) while the
    // rest went out; the results go on.
    virtual void reportWarning(const EndpointError &error) { Q_UNUSED(error); }
    // The results were full: a device reply was dropped, the dropped-th
    // since they were cleared. Nothing the view shows tells of it otherwise.
    virtual void resultsFull(qint64 dropped) { Q_UNUSED(dropped); }
};
