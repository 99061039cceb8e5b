#include "devicelist/device_record.h"

#include "devicelist/device_export.h"
#include "devicelist/packed_row.h"
#include "discovery/discovery_messages.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// As the table keeps a cell: bounded, so one host cannot fill memory, and
// without the line break that ended the value in the reply.
QString bounded(const QString &value)
{
    return PackedRow::bounded(DeviceExport::withoutTrailingLineBreaks(value));
}

} // namespace

DeviceRecord::DeviceRecord(const Fields &received, ReplyOrigin origin)
    : origin(std::move(origin))
{
    for (int f = 0; f < FieldCount; ++f)
        fields[f] = bounded(received[f]);
}

DeviceRecord DeviceRecord::fromReply(const DeviceReply &reply, const QString &senderAddress, ReplyOrigin origin)
{
    return DeviceRecord({senderAddress, reply.serialNumber, reply.macAddress, reply.swVersion, reply.description},
                        std::move(origin));
}

QString DeviceRecord::fieldKey(Field field)
{
    switch (field) {
    case Ip: return u"ip"_s;
    case Serial: return u"serial"_s;
    case Mac: return u"mac"_s;
    case Version: return u"version"_s;
    case Description: return u"description"_s;
    case FieldCount: break;
    }
    return {};
}
