#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

class DeviceTable;
class DiscoveryEndpoint;
class FinderView;

// The window's logic: start-up, refresh and reply handling. It reaches the
// window only through FinderView.
class FinderController : public QObject
{
    Q_OBJECT

public:
    FinderController(FinderView &view, DeviceTable &table, DiscoveryEndpoint &endpoint,
                     QObject *parent = nullptr);

    // The window has been created: set the header, then refresh.
    void start();
    // The Refresh button (or start-up): rebind, clear, send the request.
    void refresh();
    // One datagram arrived on the endpoint.
    void onDatagram(qint64 bytesTotal);

    const QString &lastReply() const { return m_lastReply; }
    qint16 foundCount() const { return m_foundCount; }

    // How long a request may go unanswered before the view hints at why.
    static constexpr int NoReplyHintDelayMs = 3000;

private:
    void endNoReplyWait();

    FinderView &m_view;
    DeviceTable &m_table;
    DiscoveryEndpoint &m_endpoint;

    QString m_lastReply;
    qint16 m_foundCount = 0;
    QTimer m_noReplyTimer;
};
