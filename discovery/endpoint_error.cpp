#include "discovery/endpoint_error.h"

#include <cerrno>

QString EndpointError::toString() const
{
    const QString what = operation == Operation::Bind ? QStringLiteral("Bind to") : QStringLiteral("Send to");
    return QStringLiteral("%1 %2:%3 failed: %4").arg(what, address, QString::number(port), reason);
}

QAbstractSocket::SocketError socketErrorFor(int systemError)
{
    switch (systemError) {
    case EADDRINUSE:
        return QAbstractSocket::AddressInUseError;
    case EACCES:
    case EPERM:
        return QAbstractSocket::SocketAccessError;
    case EADDRNOTAVAIL:
        return QAbstractSocket::SocketAddressNotAvailableError;
    case EAFNOSUPPORT:
    case EPROTONOSUPPORT:
        return QAbstractSocket::UnsupportedSocketOperationError;
    case EMFILE:
    case ENFILE:
    case ENOBUFS:
    case ENOMEM:
        return QAbstractSocket::SocketResourceError;
    default:
        return QAbstractSocket::UnknownSocketError;
    }
}
