#include "system_facts.h"

#include "lab_process.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace system_facts {
namespace {

// A line of /proc/self/status such as "VmHWM:     51234 kB".
qint64 statusKilobytes(const QByteArray &key)
{
    QFile file(u"/proc/self/status"_s);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // A /proc file has no size, so read until a line comes back empty.
    for (QByteArray line = file.readLine(); !line.isEmpty(); line = file.readLine()) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).simplified().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

qint64 peakResidentBytes()
{
    return statusKilobytes("VmHWM") * 1024;
}

qint64 residentBytes()
{
    return statusKilobytes("VmRSS") * 1024;
}

qint64 socketReceiveBuffer(quint16 port)
{
    QProcess ss;
    ss.start(u"ss"_s, {u"-u"_s, u"-a"_s, u"-m"_s, u"-n"_s, u"sport = :%1"_s.arg(port)});
    if (!ss.waitForFinished(5000))
        return -1;
    const QRegularExpressionMatch match =
            QRegularExpression(u"\\brb(\\d+)"_s).match(QString::fromUtf8(ss.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

qint64 unprivilegedReceiveBuffer(const QString &receiverProgram, int requestBytes)
{
    LabProcess receiver(QString(), u"setpriv"_s,
                        {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, receiverProgram,
                         u"--port"_s, u"41012"_s, u"--rcvbuf"_s, QString::number(requestBytes),
                         u"--wait-ms"_s, u"1"_s});
    receiver.start();
    if (!receiver.waitForFinished(5000) || receiver.exitCode() != 0)
        return -1;
    return receiver.number(u"rcvbuf"_s);
}

qint64 receiveBufferLimit()
{
    QFile file(u"/proc/sys/net/core/rmem_max"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : -1;
}

} // namespace system_facts
