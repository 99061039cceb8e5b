#include "finder/core/failure_message.h"

#include "discovery/bind_helper_client.h"
#include "discovery/endpoint_error.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Ports below this need root or cap_net_bind_service on Linux.
constexpr quint16 FirstUnprivilegedPort = 1024;

// A control character pasted into a terminal acts before the shell sees it
// (^C drops the quoted start of the line, and the rest runs); such a path is
// named, but not offered as a command.
bool hasControlCharacters(const QString &path)
{
    return std::any_of(path.cbegin(), path.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
    });
}

QString remedy(const EndpointError &error, const QString &programPath, RetryBy retry)
{
    const QString port = QString::number(error.port);
    const QString then = retry == RetryBy::Refresh ? u"then press Refresh."_s : u"then run the command again."_s;
    if (error.operation == EndpointError::Operation::Bind) {
        if (error.code == QAbstractSocket::AddressInUseError)
            return u"Another program holds UDP port %1. Close it, %2"_s.arg(port, then);
        if (error.code == QAbstractSocket::SocketAccessError && error.port < FirstUnprivilegedPort) {
            const QString helper = bind_helper::pathFor(QFileInfo(programPath).absolutePath());
            const QFileInfo helperFile(helper);
            if (!helperFile.isFile()) {
                return u"Port %1 is a privileged port, and the finder's bind helper %2 is missing. "
                       u"Install the finder again, %3"_s.arg(port, shellQuoted(helper), then);
            }
            // A capability cannot help a helper that does not run, and one
            // that is not root's could be replaced by its owner: both come
            // from a broken install, which only installing again mends.
            const QString broken = !helperFile.isExecutable() ? u"cannot be run (it is not executable)"_s
                    : helperFile.ownerId() != 0              ? u"is not owned by root"_s
                                                             : QString();
            if (!broken.isEmpty()) {
                return u"Port %1 is a privileged port, and the finder's bind helper %2 %3. Install the finder's "
                       u"package again, or build the finder and install it again as root, %4"_s.arg(
                               port, shellQuoted(helper), broken, then);
            }
            if (hasControlCharacters(helper)) {
                return u"Port %1 is a privileged port. Give the finder's bind helper %2 the "
                       u"cap_net_bind_service capability, %3"_s.arg(port, shellQuoted(helper), then);
            }
            return u"Port %1 is a privileged port. Allow the finder's bind helper to use it with\n\n"
                   u"    sudo setcap cap_net_bind_service=+ep %2\n\n"
                   u"%3"_s.arg(port, shellQuoted(helper), then);
        }
        return retry == RetryBy::Refresh ? u"Press Refresh to try again."_s : u"Run the command again to retry."_s;
    }
    return u"Check that this computer is connected to a network, %1"_s.arg(then);
}

// The system's reason, and the interface it came from when the text does
// not name it otherwise.
QString reasonText(const EndpointError &error)
{
    const QString reason = error.reason.isEmpty() ? u"unknown"_s : error.reason;
    return error.interfaceName.isEmpty() ? reason : u"%1 (via %2)"_s.arg(reason, error.interfaceName);
}

} // namespace

QString shellQuoted(const QString &path)
{
    QString quoted = path;
    quoted.replace(u"'"_s, u"'\\''"_s);
    return u'\'' + quoted + u'\'';
}

QString failureMessage(const EndpointError &error, const QString &programPath, RetryBy retry)
{
    const QString where = error.address + u':' + QString::number(error.port);
    const QString what = error.operation == EndpointError::Operation::Bind
            ? u"The finder could not open UDP port %1 (%2) to receive replies."_s.arg(
                      QString::number(error.port), where)
            : u"The finder could not send its request to %1."_s.arg(where);
    return what + u"\n\nReason: "_s + reasonText(error) + u"\n\n"_s + remedy(error, programPath, retry);
}

QString warningMessage(const EndpointError &error)
{
    const QString reason = error.reason.isEmpty() ? u"unknown"_s : error.reason;
    if (!error.interfaceName.isEmpty()) {
        // The interface is named in the text already.
        return u"The request could not be sent through interface %1.\n\nReason: %2\n\n"
               u"Devices reached only through %1 are not listed. Check its firewall and "
               u"its connection."_s.arg(error.interfaceName, reason);
    }
    return u"The request could not be sent to every target address; the first failure was %1:%2."
           u"\n\nReason: %3\n\nDevices at those addresses are not listed."_s.arg(
                   error.address, QString::number(error.port), reason);
}
