#include "tests/lab/lab_environment.h"

#include <QFile>
#include <QTest>
#include <QUdpSocket>
#include <QUuid>

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

QHash<QString, LogEntry> sentByAddress(const QString &path, qsizetype skip)
{
    QHash<QString, LogEntry> sent;
    for (const LogEntry &e : readLog(path).mid(skip)) {
        if (e.kind == QLatin1String("sent"))
            sent.insert(e.field(QStringLiteral("src")).section(QLatin1Char(':'), 0, 0), e);
    }
    return sent;
}

std::optional<QList<LogEntry>> settledReceived(int segment, qsizetype skip)
{
    // A unicast datagram the simulator logs but does not answer.
    const QByteArray marker = "lab-marker " + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    QUdpSocket().writeDatagram(marker, QHostAddress(deviceAddresses(segment).value(0)), 8002);
    const QString log = simLogs().value(segment - 1);
    QList<LogEntry> received;
    const bool settled = QTest::qWaitFor([&] {
        received.clear();
        bool marked = false;
        for (const LogEntry &e : readLog(log).mid(skip)) {
            if (e.kind != QLatin1String("recv"))
                continue;
            if (e.payload() == marker)
                marked = true;
            else
                received.append(e);
        }
        return marked;
    }, 5000);
    return settled ? std::optional(received) : std::nullopt;
}

} // namespace lab
