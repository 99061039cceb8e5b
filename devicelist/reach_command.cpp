#include "devicelist/reach_command.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

QString reachCommand(const QString &deviceAddress, const QString &interfaceName, const QStringList &taken)
{
    bool ok = false;
    const quint32 device = QHostAddress(deviceAddress.trimmed()).toIPv4Address(&ok);
    if (!ok || interfaceName.isEmpty())
        return {};
    QSet<quint32> used{device};
    for (const QString &address : taken) {
        bool isIPv4 = false;
        const quint32 value = QHostAddress(address.trimmed()).toIPv4Address(&isIPv4);
        if (isIPv4)
            used.insert(value);
    }
    // Interface names may hold shell characters: such a name is quoted.
    static const QRegularExpression plain(u"^[A-Za-z0-9_.@+-]+$"_s);
    QString interface = interfaceName;
    if (!plain.match(interface).hasMatch())
        interface = u'\'' + interface.replace(u'\'', u"'\\''"_s) + u'\'';
    const quint32 network = device & 0xffffff00u;
    // From the top down: devices usually sit low in their subnet.
    for (quint32 host = 254; host >= 1; --host) {
        if (!used.contains(network | host)) {
            return u"sudo ip addr add %1/24 dev %2"_s.arg(QHostAddress(network | host).toString(), interface);
        }
    }
    return {};
}
