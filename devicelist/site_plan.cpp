#include "devicelist/site_plan.h"

#include "devicelist/csv_reader.h"
#include "devicelist/group_separator.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum Field { Mac, Serial, Ip, Version, Name, FieldCount };

// Header names as people write them, compared lower-case without spaces,
// dashes, underscores, dots and slashes ("MAC Address", "mac_address",
// "S/N"). Earlier names win where a file has several.
const std::array<QStringList, FieldCount> &headerNames()
{
    static const std::array<QStringList, FieldCount> names{
        QStringList{u"macaddress"_s, u"mac"_s, u"macaddr"_s, u"hwaddress"_s, u"hwaddr"_s, u"hardwareaddress"_s,
                    u"ethernetaddress"_s, u"physicaladdress"_s},
        QStringList{u"serialnumber"_s, u"serial"_s, u"serialno"_s, u"serialnr"_s, u"sn"_s},
        QStringList{u"ipaddress"_s, u"ip"_s, u"ipv4"_s, u"ipv4address"_s, u"ipaddr"_s, u"address"_s},
        QStringList{u"swversion"_s, u"version"_s, u"softwareversion"_s, u"firmware"_s, u"firmwareversion"_s},
        QStringList{u"name"_s, u"location"_s, u"station"_s, u"label"_s, u"room"_s, u"apartment"_s,
                    u"description"_s},
    };
    return names;
}

QString headerKey(const QString &text)
{
    QString key;
    for (const QChar c : text) {
        if (!c.isSpace() && c != u'-' && c != u'_' && c != u'.' && c != u'/')
            key += c.toLower();
    }
    return key;
}

QString lineError(int line, const QString &text)
{
    return u"Line %1: %2"_s.arg(line).arg(text);
}

// The first line that is not UTF-8, counted as the file's lines.
int firstBadLine(const QByteArray &bytes)
{
    int line = 1;
    for (const QByteArray &part : bytes.split('\n')) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(part);
        if (decoder.hasError())
            return line;
        ++line;
    }
    return line;
}

bool isBlank(const QStringList &fields)
{
    return std::all_of(fields.cbegin(), fields.cend(), [](const QString &f) { return f.trimmed().isEmpty(); });
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

SitePlan SitePlan::load(const QString &path)
{
    SitePlan plan;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        plan.m_error = file.errorString();
        return plan;
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes) {
        plan.m_error = u"The file is larger than %1 MB."_s.arg(MaxFileBytes / (1024 * 1024));
        return plan;
    }
    return parse(bytes);
}

SitePlan SitePlan::parse(const QByteArray &utf8)
{
    SitePlan plan;
    const QByteArray bytes = utf8.startsWith("\xEF\xBB\xBF") ? utf8.sliced(3) : utf8;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        plan.m_error = lineError(firstBadLine(bytes), u"the text is not UTF-8. Save the file as UTF-8 CSV."_s);
        return plan;
    }

    CsvReader reader(text);
    std::optional<QStringList> header;
    int headerLine = 1;
    while (!reader.atEnd() && (!header || isBlank(*header))) {
        headerLine = reader.line();
        header = reader.next();
        if (!header) {
            plan.m_error = lineError(headerLine, u"a quoted field is not closed."_s);
            return plan;
        }
    }
    std::array<qsizetype, FieldCount> column;
    column.fill(-1);
    if (header) {
        QStringList keys;
        for (const QString &name : std::as_const(*header))
            keys << headerKey(name);
        for (int f = 0; f < FieldCount; ++f) {
            for (const QString &name : headerNames()[f]) {
                if (const qsizetype c = keys.indexOf(name); c >= 0) {
                    column[f] = c;
                    break;
                }
            }
        }
    }
    if (column[Mac] < 0 && column[Serial] < 0 && column[Ip] < 0) {
        plan.m_error = lineError(headerLine, u"no column is named MAC address, serial number or IP address. "
                                             u"The first line must name the columns."_s);
        return plan;
    }

    const auto value = [&column](const QStringList &fields, int f) {
        return column[f] >= 0 ? fields.value(column[f]).trimmed() : QString();
    };
    while (!reader.atEnd()) {
        const int line = reader.line();
        const std::optional<QStringList> fields = reader.next();
        if (!fields) {
            plan.m_error = lineError(line, u"a quoted field is not closed."_s);
            break;
        }
        if (isBlank(*fields))
            continue;
        Device device{value(*fields, Mac), value(*fields, Serial), value(*fields, Ip), value(*fields, Version),
                      value(*fields, Name), line};
        QHash<QString, qsizetype> *index = &plan.m_byIp;
        QString key = device.ip;
        QString what = u"IP address"_s;
        if (!device.mac.isEmpty()) {
            index = &plan.m_byMac;
            key = macKey(device.mac);
            what = u"MAC address"_s;
        } else if (!device.serial.isEmpty()) {
            index = &plan.m_bySerial;
            key = device.serial;
            what = u"serial number"_s;
        } else if (key.isEmpty()) {
            plan.m_error = lineError(line, u"no MAC address, serial number or IP address."_s);
            break;
        }
        if (const auto earlier = index->constFind(key); earlier != index->cend()) {
            const Device &first = plan.m_devices[*earlier];
            // The finder's own list holds a device once per answer.
            if (first.mac == device.mac && first.serial == device.serial && first.ip == device.ip)
                continue;
            plan.m_error = lineError(line, u"%1 %2 is already on line %3."_s.arg(what, key.left(64)).arg(first.line));
            break;
        }
        // A plan can list no more devices than the finder can show.
        if (plan.m_devices.size() >= DeviceRecord::MaxDevices) {
            plan.m_error = lineError(line, u"a plan can list at most %1 devices."_s.arg(
                    QLocale(QLocale::English).toString(DeviceRecord::MaxDevices)));
            break;
        }
        index->insert(key, plan.m_devices.size());
        plan.m_devices << device;
    }
    if (!plan.m_error.isEmpty()) {
        plan.m_devices.clear();
        plan.m_byMac.clear();
        plan.m_bySerial.clear();
        plan.m_byIp.clear();
    }
    return plan;
}

SitePlan::Match SitePlan::classify(const Received &device) const
{
    qsizetype p = m_byMac.value(macKey(device.mac), -1);
    if (p < 0 && !device.serial.trimmed().isEmpty())
        p = m_bySerial.value(device.serial.trimmed(), -1);
    if (p < 0 && !device.ip.trimmed().isEmpty())
        p = m_byIp.value(device.ip.trimmed(), -1);
    if (p < 0)
        return {Status::Unexpected, -1, 0};
    const Device &planned = m_devices[p];
    const quint8 differences = (!planned.ip.isEmpty() && planned.ip != device.ip.trimmed() ? IpDiffers : 0)
            | (!planned.version.isEmpty() && planned.version != device.version.trimmed() ? VersionDiffers : 0);
    return {differences ? Status::Differs : Status::Answered, p, differences};
}
