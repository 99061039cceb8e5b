#pragma once

#include "devicelist/device_record.h"
#include "devicelist/plan_columns.h"
#include "devicelist/plan_header.h"

#include <QByteArray>
#include <QFlags>
#include <QHash>
#include <QList>
#include <QString>

// The devices a site should have, read from a CSV file: a header row naming
// a MAC address, serial number or IP address column (and optionally a
// version and a name or location), then one device per row. The finder's
// own saved list is such a file, and so is what a spreadsheet saves: comma,
// semicolon or tab, UTF-8 or UTF-16, a title above the header, headers in
// the sites' languages (PlanColumns), or the columns the user chose.
//
// Each planned device is known by its strongest identifier: MAC, else
// serial, else IP. A device that answers is matched by the same order,
// forgiving what spreadsheets do to values (MatchNote).
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

    enum class Status { Answered, Missing, Unexpected, Differs };

    // The planned values a device that matched does not have, as flags.
    enum Difference : quint8 { IpDiffers = 0x1, VersionDiffers = 0x2 };

    // A match that held only by forgiving a spreadsheet's habit, said
    // wherever the match is shown so that nobody is misled.
    enum class MatchNote : unsigned {
        SerialWithoutLeadingZeros = 1,   // planned 2303150114, received 002303150114, or the other way
        VersionWithLeadingV = 2,         // planned v2.4.1, received 2.4.1, or the other way
    };
    Q_DECLARE_FLAGS(MatchNotes, MatchNote)

    // What the plan's lookup says of one device on its own; SiteTally
    // decides what it is among the others.
    struct Match
    {
        Status status = Status::Missing;
        qsizetype planned = -1;   // index into devices(); -1 for Unexpected
        quint8 differences = 0;   // Difference flags, for Differs
        MatchNotes notes;         // what was forgiven to match
    };

    // An empty plan with error() set when the file is not a usable plan;
    // the error names the line and says what to change. choice names the
    // columns where the header does not.
    static SitePlan parse(const QByteArray &bytes, const PlanColumns::Choice &choice = {});
    // Refuses what is not a regular file, before reading it.
    static SitePlan load(const QString &path, const PlanColumns::Choice &choice = {});

    bool isValid() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    const QList<Device> &devices() const { return m_devices; }
    // The header as read; where the plan has no known column, the likeliest
    // line, whose names a column choice picks from.
    const PlanHeader &header() const { return m_header; }
    // The plan failed only for want of a known MAC, serial or IP column:
    // choosing the columns can mend it.
    bool needsColumnChoice() const { return !isValid() && m_header.line > 0 && !m_header.found; }

    // A device's fields as received (no display pattern): Answered or
    // Differs with the planned index and what was forgiven, or Unexpected.
    Match classify(const DeviceRecord::Fields &device) const;

    // "answered", "missing", "unexpected", "differs".
    static QString statusName(Status status);
    // "serial without leading zeros", "version with a leading v", joined
    // by ", "; empty for an exact match.
    static QString matchNoteText(MatchNotes notes);
    // MAC as a key: hex digits upper-cased, separators dropped.
    static QString macKey(const QString &mac);

private:
    void readDevices(CsvReader &reader);
    // Empty, or why the device cannot be added (its line named).
    QString add(const Device &device);
    void fail(const QString &error);

    QString m_error;
    PlanHeader m_header;
    QList<Device> m_devices;
    // Each device is in the index of its strongest identifier only.
    QHash<QString, qsizetype> m_byMac;
    QHash<QString, qsizetype> m_bySerial;
    QHash<QString, qsizetype> m_byIp;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SitePlan::MatchNotes)
