#include "devicelist/site_plan.h"

#include "devicelist/csv_reader.h"
#include "devicelist/group_separator.h"
#include "devicelist/plan_file.h"
#include "devicelist/plan_text.h"

#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Field = PlanColumns::Field;

bool isDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A serial of digits as a key: a spreadsheet drops its leading zeros.
QString serialKey(const QString &serial)
{
    if (!isDigits(serial))
        return serial;
    qsizetype zeros = 0;
    while (zeros + 1 < serial.size() && serial[zeros] == u'0')
        ++zeros;
    return serial.sliced(zeros);
}

// A version as a key: "v2.4.1" is how people write 2.4.1.
QStringView versionKey(QStringView version)
{
    if (version.size() > 1 && (version[0] == u'v' || version[0] == u'V') && version[1].isDigit())
        return version.sliced(1);
    return version;
}

} // namespace

QString SitePlan::macKey(const QString &mac)
{
    QString key;
    key.reserve(mac.size());
    for (const QChar c : mac) {
        if (!isGroupSeparator(c))
            key += c.toUpper();
    }
    return key;
}

QString SitePlan::statusName(Status status)
{
    switch (status) {
    case Status::Answered: return u"answered"_s;
    case Status::Missing: return u"missing"_s;
    case Status::Unexpected: return u"unexpected"_s;
    case Status::Differs: return u"differs"_s;
    }
    return {};
}

QString SitePlan::matchNoteText(MatchNotes notes)
{
    QStringList texts;
    if (notes & MatchNote::SerialWithoutLeadingZeros)
        texts << u"serial without leading zeros"_s;
    if (notes & MatchNote::VersionWithLeadingV)
        texts << u"version with a leading v"_s;
    return texts.join(u", "_s);
}

SitePlan SitePlan::load(const QString &path, const PlanColumns::Choice &choice)
{
    const PlanFile::Contents file = PlanFile::read(path, MaxFileBytes);
    if (!file.error.isEmpty()) {
        SitePlan plan;
        plan.m_error = file.error;
        return plan;
    }
    return parse(file.bytes, choice);
}

SitePlan SitePlan::parse(const QByteArray &bytes, const PlanColumns::Choice &choice)
{
    SitePlan plan;
    const PlanText::Decoded decoded = PlanText::decode(bytes);
    if (!decoded.error.isEmpty()) {
        plan.m_error = decoded.error;
        return plan;
    }
    CsvReader reader(decoded.text);
    QString error;
    plan.m_header = PlanHeader::find(reader, choice, &error);
    if (!error.isEmpty()) {
        plan.m_error = error;
        return plan;
    }
    plan.readDevices(reader);
    return plan;
}

void SitePlan::readDevices(CsvReader &reader)
{
    const auto value = [this](const QStringList &fields, Field field) {
        const qsizetype column = m_header.column(field);
        return column >= 0 ? fields.value(column).trimmed() : QString();
    };
    while (!reader.atEnd()) {
        const int line = reader.line();
        const std::optional<QStringList> fields = reader.next();
        if (!fields)
            return fail(CsvReader::atLine(line, reader.errorText()));
        if (CsvReader::isBlank(*fields))
            continue;
        const Device device{value(*fields, Field::Mac), value(*fields, Field::Serial), value(*fields, Field::Ip),
                            value(*fields, Field::Version), value(*fields, Field::Name), line};
        if (const QString why = add(device); !why.isEmpty())
            return fail(why);
    }
}

QString SitePlan::add(const Device &device)
{
    // The device's strongest identifier, its index, and how a message names it.
    QHash<QString, qsizetype> *index = &m_byIp;
    QString key = device.ip;
    QString shown = device.ip;
    QString what = u"IP address"_s;
    // A MAC of separators alone ("--") is no MAC: its empty key would match
    // any device that sends none.
    if (const QString mac = macKey(device.mac); !mac.isEmpty()) {
        index = &m_byMac;
        key = shown = mac;
        what = u"MAC address"_s;
    } else if (!device.serial.isEmpty()) {
        index = &m_bySerial;
        key = serialKey(device.serial);
        shown = device.serial;
        what = u"serial number"_s;
    } else if (key.isEmpty()) {
        return CsvReader::atLine(device.line, u"no MAC address, serial number or IP address."_s);
    }
    if (const auto earlier = index->constFind(key); earlier != index->cend()) {
        const Device &first = m_devices[*earlier];
        // The finder's own list holds a device once per answer.
        if (first.mac == device.mac && first.serial == device.serial && first.ip == device.ip)
            return {};
        return CsvReader::atLine(device.line,
                                 u"%1 %2 is already on line %3."_s.arg(what, shown.left(64)).arg(first.line));
    }
    // A plan can list no more devices than the finder can show.
    if (m_devices.size() >= DeviceRecord::MaxDevices) {
        return CsvReader::atLine(device.line, u"a plan can list at most %1 devices."_s.arg(
                QLocale(QLocale::English).toString(DeviceRecord::MaxDevices)));
    }
    index->insert(key, m_devices.size());
    m_devices << device;
    return {};
}

void SitePlan::fail(const QString &error)
{
    m_error = error;
    m_devices.clear();
    m_byMac.clear();
    m_bySerial.clear();
    m_byIp.clear();
}

SitePlan::Match SitePlan::classify(const DeviceRecord::Fields &device) const
{
    const QString serial = device[DeviceRecord::Serial].trimmed();
    const QString ip = device[DeviceRecord::Ip].trimmed();
    qsizetype p = m_byMac.value(macKey(device[DeviceRecord::Mac]), -1);
    bool bySerial = false;
    if (p < 0 && !serial.isEmpty()) {
        p = m_bySerial.value(serialKey(serial), -1);
        bySerial = p >= 0;
    }
    if (p < 0 && !ip.isEmpty())
        p = m_byIp.value(ip, -1);
    if (p < 0)
        return {Status::Unexpected, -1, 0, {}};
    const Device &planned = m_devices[p];
    MatchNotes notes;
    if (bySerial && planned.serial != serial)
        notes |= MatchNote::SerialWithoutLeadingZeros;
    quint8 differences = !planned.ip.isEmpty() && planned.ip != ip ? IpDiffers : 0;
    const QString version = device[DeviceRecord::Version].trimmed();
    if (!planned.version.isEmpty() && planned.version != version) {
        if (versionKey(planned.version) == versionKey(version))
            notes |= MatchNote::VersionWithLeadingV;
        else
            differences |= VersionDiffers;
    }
    return {differences ? Status::Differs : Status::Answered, p, differences, notes};
}
