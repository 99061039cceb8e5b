#include "devicelist/found_devices.h"

#include "discovery/discovery_messages.h"

void FoundDevices::clearDevices()
{
    m_records.clear();
    m_marks.clear();
}

bool FoundDevices::takeDevice(const DeviceReply &reply, const QString &senderAddress, const ReplyOrigin &origin)
{
    if (m_records.size() >= DeviceRecord::MaxDevices)
        return false;
    m_marks.note(int(m_records.size()), senderAddress, reply.macAddress);
    m_records.append(DeviceRecord::fromReply(reply, senderAddress, origin));
    return true;
}
