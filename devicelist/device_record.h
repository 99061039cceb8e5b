#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <limits>

struct DeviceReply;

// Where and when a reply came in.
struct ReplyOrigin
{
    QString interfaceName;   // empty when unknown
    QDateTime time;          // UTC; invalid when unknown
    // The address lies outside every subnet of that interface: this
    // computer has no route to it, so its web page will not open.
    bool otherSubnet = false;
};

// One device as it answered: what the listings, the plan comparison and the
// watch read, rather than the grid's cells. Its fields are the reply's
// values as received, without the line breaks the protocol ends them with,
// and bounded as a table cell keeps them.
struct DeviceRecord
{
    // In the order the table's columns and the listings show them.
    enum Field { Ip, Serial, Mac, Version, Description, FieldCount };
    using Fields = std::array<QString, FieldCount>;
    // No list of devices (the table, the list mode's, the roster, a plan)
    // holds more: the grid's rows and the found count are 16-bit numbers.
    static constexpr int MaxDevices = std::numeric_limits<qint16>::max();

    DeviceRecord() = default;
    // Fields as they came, with their line breaks.
    explicit DeviceRecord(const Fields &received, ReplyOrigin origin = {});
    static DeviceRecord fromReply(const DeviceReply &reply, const QString &senderAddress, ReplyOrigin origin = {});

    const QString &field(Field f) const { return fields[f]; }
    // The key a listing writes the field under: "ip", "serial", "mac",
    // "version", "description".
    static QString fieldKey(Field field);

    Fields fields;
    ReplyOrigin origin;
};
