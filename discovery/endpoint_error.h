#pragma once

#include <QAbstractSocket>
#include <QString>

#include <utility>

// A failed bind or send: which operation, on which address and port, and the
// system's own reason, so the window can tell the user what to do about it.
struct EndpointError
{
    enum class Operation { Bind, Send };

    EndpointError() = default;
    EndpointError(Operation operation, QString address, quint16 port, QAbstractSocket::SocketError code,
                  QString reason)
        : operation(operation), address(std::move(address)), port(port), code(code), reason(std::move(reason))
    {
    }

    Operation operation = Operation::Bind;
    QString address;   // dotted-decimal, e.g. "0.0.0.0" for a bind on all addresses
    quint16 port = 0;
    QAbstractSocket::SocketError code = QAbstractSocket::UnknownSocketError;
    QString reason;    // the socket layer's error text
    QString interfaceName;   // a broadcast's copy through one interface

    // One line, e.g. "Bind to 0.0.0.0:1010 failed: Permission denied".
    QString toString() const;
};

// The socket error that best names a system errno from socket(), bind() and the like.
QAbstractSocket::SocketError socketErrorFor(int systemError);
