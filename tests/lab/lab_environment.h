#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// What tools/netlab.sh tells a command it runs in the finder namespace, and
// the simulators' logs ("recv"/"sent" lines of tab-separated key=value).
namespace lab {

struct LogEntry
{
    QString kind;
    QHash<QString, QString> fields;

    QString field(const QString &key) const { return fields.value(key); }
    QByteArray payload() const { return QByteArray::fromHex(fields.value(QStringLiteral("hex")).toLatin1()); }
};

// False when not started through netlab.sh.
bool inLab();
int segments();
QString finderAddress(int segment);
QStringList deviceAddresses(int segment);
// One per simulator, in segment order.
QStringList simLogs();

QList<LogEntry> readLog(const QString &path);

// A unicast datagram to a device that the simulator logs but does not
// answer. The link keeps order, so once the marker is logged every request
// sent before it on that segment is logged too.
QByteArray sendMarker(const QString &deviceAddress);
bool logHasMarker(const QString &path, const QByteArray &marker);

} // namespace lab
