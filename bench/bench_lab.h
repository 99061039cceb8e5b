#pragma once

#include <QString>
#include <QStringList>

// Where the benchmark's helpers are and how the lab is laid out. The lab
// side comes from what tools/netlab.sh tells the commands it runs.
struct BenchLab
{
    QString deviceNamespace;
    QString finderAddress;
    QString firstDeviceAddress;
    int deviceCount = 0;

    QString finderProgram;
    QString senderProgram;
    QString receiverProgram;

    // Throws std::runtime_error naming what is missing.
    static BenchLab fromEnvironment(const QStringList &arguments);
    // "A+K": the device addresses the sender speaks from in turn.
    QString deviceRange() const;
};

// How one burst is sent: COUNT replies, each from a device of its own.
struct SendPlan
{
    enum class Pacing { Spread, Rate, AsFast };

    int count = 0;
    Pacing pacing = Pacing::AsFast;
    double value = 0;   // ms for Spread, datagrams per second for Rate

    QString label() const;
    QStringList senderArguments(const BenchLab &lab, quint16 port, int firstIndex) const;
};
