#pragma once

#include "devicelist/device_record.h"

#include <QString>

struct DeviceReply;

// Where the controller puts the device replies it accepts, one at a time in
// arrival order: the table, the list mode's records, the watch's roster.
class DeviceSink
{
public:
    virtual ~DeviceSink() = default;

    // Start-up, before the first refresh.
    virtual void setUp() {}
    // A refresh: what came before it goes.
    virtual void clearDevices() {}
    // An accepted reply with a MAC address. False when there is no room for
    // it: it then does not count as found.
    virtual bool takeDevice(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin) = 0;
};
