#pragma once

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
    // The table's row limit: a plan can list no more devices than the
    // finder can show.
    static constexpr qsizetype MaxDevices = 32767;
    // Read no further than this; any plan within MaxDevices fits easily.
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

    struct Match
    {
        Status status = Status::Missing;
        qsizetype planned = -1;    // index into devices(); -1 for Unexpected
        qsizetype received = -1;   // index into the received list; -1 for Missing
    };

    struct Summary
    {
        qsizetype planned = 0;
        qsizetype answered = 0;   // matched, the Differs among them
        qsizetype missing = 0;
        qsizetype unexpected = 0;
        qsizetype differs = 0;
    };

    // An empty plan with error() set when the text is not a usable plan;
    // the error names the line.
    static SitePlan parse(const QByteArray &utf8);
    static SitePlan load(const QString &path);

    bool isValid() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    const QList<Device> &devices() const { return m_devices; }

    // One Match per planned device in the plan's order, then one per
    // unexpected device in the order received. A device received twice
    // (the same MAC) counts once.
    QList<Match> match(const QList<Received> &received) const;
    static Summary summarize(const QList<Match> &matches);
    // One device on its own: Answered or Differs with the planned index,
    // or Unexpected. received is left -1.
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
