#pragma once

#include "devicelist/device_record.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// The devices a site should have, read from a CSV file: a header row naming
// a MAC address, serial number or IP address column (and optionally a
// version and a name or location), then one device per row. The finder's
// own saved list is such a file.
//
// Each planned device is known by its strongest identifier: MAC, else
// serial, else IP. A device that answers is matched by the same order.
class SitePlan
{
public:
    // Read no further than this; any plan within DeviceRecord::MaxDevices
    // fits easily.
    static constexpr qsizetype MaxFileBytes = 32 * 1024 * 1024;

    struct Device
    {
        QString mac;
        QString serial;
        QString ip;
        QString version;
        QString name;
        int line = 0;   // where the device's row starts in the file
    };

    // What a device sent, as received (no display pattern).
    struct Received
    {
        QString ip;
        QString serial;
        QString mac;
        QString version;
    };

    enum class Status { Answered, Missing, Unexpected, Differs };

    // The planned values a device that matched does not have, as flags.
    enum Difference : quint8 { IpDiffers = 0x1, VersionDiffers = 0x2 };

    // What the plan's lookup says of one device on its own; SiteTally
    // decides what it is among the others.
    struct Match
    {
        Status status = Status::Missing;
        qsizetype planned = -1;   // index into devices(); -1 for Unexpected
        quint8 differences = 0;   // Difference flags, for Differs
    };

    // An empty plan with error() set when the text is not a usable plan;
    // the error names the line.
    static SitePlan parse(const QByteArray &utf8);
    static SitePlan load(const QString &path);

    bool isValid() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    const QList<Device> &devices() const { return m_devices; }

    // Answered or Differs with the planned index, or Unexpected.
    Match classify(const Received &device) const;

    // "answered", "missing", "unexpected", "differs".
    static QString statusName(Status status);
    // MAC as a key: hex digits upper-cased, separators dropped.
    static QString macKey(const QString &mac);

private:
    QString m_error;
    QList<Device> m_devices;
    // Each device is in the index of its strongest identifier only.
    QHash<QString, qsizetype> m_byMac;
    QHash<QString, qsizetype> m_bySerial;
    QHash<QString, qsizetype> m_byIp;
};
