#pragma once

// The device side of the loopback tests: it receives the requests and answers
// to the finder's port, all on 127.0.0.1 and free high ports.

#include "discovery/discovery_endpoint.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

class LoopbackDevices
{
public:
    LoopbackDevices() { m_socket.bind(QHostAddress::LocalHost, 0); }

    bool isReady() const { return m_socket.state() == QAbstractSocket::BoundState && finderPort != 0; }

    DiscoveryEndpoint::Settings finderSettings() const
    {
        DiscoveryEndpoint::Settings settings;
        settings.destinationHost = QHostAddress::LocalHost;
        settings.destinationPort = m_socket.localPort();
        settings.localPort = finderPort;
        settings.pauseMs = 1;
        settings.sendOnEveryInterface = false;
        return settings;
    }

    qint64 answer(const QByteArray &payload) { return m_socket.writeDatagram(payload, QHostAddress::LocalHost, finderPort); }

    const QList<QNetworkDatagram> &requests()
    {
        while (m_socket.hasPendingDatagrams())
            m_requests << m_socket.receiveDatagram();
        return m_requests;
    }

    static QByteArray reply(int n)
    {
        const QByteArray id = QByteArray::number(n);
        return "mac-address: 00-11-22-33-44-0" + id + "\r\nsw-version: 1.0.2\r\nserial-number: 12345678901" + id
               + "\r\ndisplay: 1\r\ndescription: Gate " + id;
    }

    const quint16 finderPort = freePort();

private:
    static quint16 freePort()
    {
        QUdpSocket probe;
        return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
    }

    QUdpSocket m_socket;
    QList<QNetworkDatagram> m_requests;
};
