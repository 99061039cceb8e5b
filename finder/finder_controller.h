#pragma once

#include <QObject>
#include <QString>
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

    void Form_Load();
    void cmdRefresh_Click();
    void UDPPeerA_DataArrival(qint64 bytesTotal);

    const QString &lastReply() const { return LastReply; }
    qint16 foundCount() const { return FoundCount; }

private:
    FinderView &m_view;
    DeviceTable &m_table;
    DiscoveryEndpoint &m_endpoint;

    QString LastReply;
    qint16 FoundCount = 0;
};
