#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

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
// What each device logged as sent, by its address, skipping the first SKIP entries.
QHash<QString, LogEntry> sentByAddress(const QString &path, qsizetype skip = 0);

// What the segment's simulator received after its first SKIP log entries, once
// a marker sent to a device after them is logged (the link keeps order, so no
// earlier datagram is still on its way); nullopt if the marker never is.
std::optional<QList<LogEntry>> settledReceived(int segment, qsizetype skip = 0);

} // namespace lab
