#pragma once

#include <QString>
#include <QtGlobal>

// What the kernel says about this process and its sockets.
namespace system_facts {

// Peak and current resident memory of this process (VmHWM, VmRSS), in bytes.
qint64 peakResidentBytes();
qint64 residentBytes();

// The receive buffer the kernel gave the UDP socket bound to port, as
// ss reports it (rb); -1 if none is bound.
qint64 socketReceiveBuffer(quint16 port);

// What a process without privileges gets when it asks for requestBytes:
// the bare receiver, run as nobody. -1 if that cannot be run.
qint64 unprivilegedReceiveBuffer(const QString &receiverProgram, int requestBytes);

qint64 receiveBufferLimit();   // net.core.rmem_max

} // namespace system_facts
