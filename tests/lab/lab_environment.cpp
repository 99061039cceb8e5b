#include "lab_environment.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QUuid>

#include <algorithm>

namespace lab {
namespace {

QStringList words(const char *variable)
{
    return qEnvironmentVariable(variable).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

bool inLab()
{
    return qEnvironmentVariableIsSet("VELTRIN_LAB_DIR");
}

int segments()
{
    return qEnvironmentVariableIntValue("VELTRIN_LAB_SEGMENTS");
}

QString finderAddress(int segment)
{
    return words("VELTRIN_LAB_FINDER_ADDRESSES").value(segment - 1);
}

QStringList deviceAddresses(int segment)
{
    return words(QByteArray("VELTRIN_LAB_DEVICES_" + QByteArray::number(segment)).constData());
}

QStringList simLogs()
{
    return words("VELTRIN_LAB_SIM_LOGS");
}

QList<LogEntry> readLog(const QString &path)
{
    QList<LogEntry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    while (!file.atEnd()) {
        const QByteArray raw = file.readLine();
        if (!raw.endsWith('\n'))
            break;   // still being written
        const QString line = QString::fromUtf8(raw.chopped(1));
        const QStringList parts = line.split(QLatin1Char('\t'));
        LogEntry entry{parts.value(0), {}};
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const qsizetype eq = parts[i].indexOf(QLatin1Char('='));
            entry.fields.insert(parts[i].left(eq), parts[i].mid(eq + 1));
        }
        entries.append(entry);
    }
    return entries;
}

QByteArray sendMarker(const QString &deviceAddress)
{
    const QByteArray marker = "lab-marker " + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    QUdpSocket socket;
    socket.writeDatagram(marker, QHostAddress(deviceAddress), 8002);
    return marker;
}

bool logHasMarker(const QString &path, const QByteArray &marker)
{
    const QList<LogEntry> entries = readLog(path);
    return std::any_of(entries.cbegin(), entries.cend(), [&](const LogEntry &e) {
        return e.kind == QLatin1String("recv") && e.payload() == marker;
    });
}

} // namespace lab
