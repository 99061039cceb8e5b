#include "bench_lab.h"

#include <QFileInfo>
#include <QLocale>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QString program(const QStringList &arguments, const QString &option)
{
    const qsizetype at = arguments.indexOf(option);
    const QString path = at >= 0 ? arguments.value(at + 1) : QString();
    if (path.isEmpty() || !QFileInfo(path).isExecutable())
        throw std::runtime_error("needs " + option.toStdString() + " PATH to an executable");
    return path;
}

QStringList words(const char *variable)
{
    return qEnvironmentVariable(variable).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

BenchLab BenchLab::fromEnvironment(const QStringList &arguments)
{
    BenchLab lab;
    lab.deviceNamespace = qEnvironmentVariable("VELTRIN_LAB_DEVICE_NS_1");
    lab.finderAddress = words("VELTRIN_LAB_FINDER_ADDRESSES").value(0);
    const QStringList devices = words("VELTRIN_LAB_DEVICES_1");
    if (lab.deviceNamespace.isEmpty() || lab.finderAddress.isEmpty() || devices.isEmpty())
        throw std::runtime_error("not in a network lab with devices: run it through bench/run.sh");
    lab.firstDeviceAddress = devices.constFirst();
    lab.deviceCount = static_cast<int>(devices.size());
    lab.finderProgram = program(arguments, u"--finder"_s);
    lab.senderProgram = program(arguments, u"--sender"_s);
    lab.receiverProgram = program(arguments, u"--receiver"_s);
    return lab;
}

QString BenchLab::deviceRange() const
{
    return firstDeviceAddress + u'+' + QString::number(deviceCount);
}

QString SendPlan::label() const
{
    const QString n = QLocale(QLocale::English).toString(count);
    switch (pacing) {
    case Pacing::Spread:
        return value >= 1000 ? u"%1 over %2 s"_s.arg(n).arg(value / 1000) : u"%1 over %2 ms"_s.arg(n).arg(value);
    case Pacing::Rate:
        return u"%1 at %2/s"_s.arg(n, QLocale(QLocale::English).toString(qRound64(value)));
    case Pacing::AsFast:
        break;
    }
    return u"%1 as fast as sent"_s.arg(n);
}

QStringList SendPlan::senderArguments(const BenchLab &lab, quint16 port, int firstIndex) const
{
    QStringList args{u"--to"_s, lab.finderAddress + u':' + QString::number(port),
                     u"--from"_s, lab.deviceRange(),
                     u"--count"_s, QString::number(count),
                     u"--first-index"_s, QString::number(firstIndex)};
    if (pacing == Pacing::Spread)
        args << u"--spread-ms"_s << QString::number(value);
    else if (pacing == Pacing::Rate)
        args << u"--rate"_s << QString::number(value, 'f', 0);
    return args;
}
