#include "failure_message.h"

#include "endpoint_error.h"

using namespace Qt::StringLiterals;

namespace {

// Ports below this need root or cap_net_bind_service on Linux.
constexpr quint16 FirstUnprivilegedPort = 1024;

QString shellQuoted(const QString &path)
{
    if (!path.contains(u' ') && !path.contains(u'\''))
        return path;
    QString quoted = path;
    quoted.replace(u"'"_s, u"'\\''"_s);
    return u'\'' + quoted + u'\'';
}

QString remedy(const EndpointError &error, const QString &programPath)
{
    const QString port = QString::number(error.port);
    if (error.operation == EndpointError::Operation::Bind) {
        if (error.code == QAbstractSocket::AddressInUseError) {
            return u"Another program holds UDP port %1. Close it, then press Refresh."_s.arg(port);
        }
        if (error.code == QAbstractSocket::SocketAccessError && error.port < FirstUnprivilegedPort) {
            return u"Port %1 is a privileged port. Allow the finder to use it with\n\n"
                   u"    sudo setcap cap_net_bind_service=+ep %2\n\n"
                   u"and start the finder again."_s.arg(port, shellQuoted(programPath));
        }
        return u"Press Refresh to try again."_s;
    }
    return u"Check that this computer is connected to a network, then press Refresh."_s;
}

} // namespace

QString failureMessage(const EndpointError &error, const QString &programPath)
{
    const QString where = error.address + u':' + QString::number(error.port);
    const QString what = error.operation == EndpointError::Operation::Bind
            ? u"The finder could not open UDP port %1 (%2) to receive replies."_s.arg(
                      QString::number(error.port), where)
            : u"The finder could not send its request to %1."_s.arg(where);
    const QString reason = error.reason.isEmpty() ? u"unknown"_s : error.reason;
    return what + u"\n\nReason: "_s + reason + u"\n\n"_s + remedy(error, programPath);
}

QString warningMessage(const EndpointError &error)
{
    QString reason = error.reason.isEmpty() ? u"unknown"_s : error.reason;
    if (!error.interfaceName.isEmpty()) {
        // The interface is named in the text already.
        const QString via = u" (via %1)"_s.arg(error.interfaceName);
        if (reason.endsWith(via))
            reason.chop(via.size());
        return u"The request could not be sent through interface %1.\n\nReason: %2\n\n"
               u"Devices reached only through %1 are not listed. Check its firewall and "
               u"its connection."_s.arg(error.interfaceName, reason);
    }
    return u"The request could not be sent to every target address; the first failure was %1:%2."
           u"\n\nReason: %3\n\nDevices at those addresses are not listed."_s.arg(
                   error.address, QString::number(error.port), reason);
}
