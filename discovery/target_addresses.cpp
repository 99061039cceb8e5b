#include "discovery/target_addresses.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A plain decimal of at most maxDigits digits and no leading zero (which
// some parsers read as octal), no larger than max.
std::optional<unsigned> parseDecimal(QStringView text, qsizetype maxDigits, unsigned max)
{
    if (text.isEmpty() || text.size() > maxDigits || (text.size() > 1 && text.front() == u'0'))
        return std::nullopt;
    unsigned value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= max ? std::optional<unsigned>(value) : std::nullopt;
}

// Strict dotted quad: four decimal octets, nothing else.
std::optional<quint32> parseAddress(QStringView text)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QStringView part : parts) {
        const std::optional<unsigned> octet = parseDecimal(part, 3, 255);
        if (!octet)
            return std::nullopt;
        address = address << 8 | *octet;
    }
    return address;
}

std::optional<int> parsePrefix(QStringView text)
{
    const std::optional<unsigned> prefix = parseDecimal(text, 2, 32);
    return prefix ? std::optional<int>(int(*prefix)) : std::nullopt;
}

// Why a range holds an address that is no single host, or nothing. A
// request to one of them reaches every device a second time (broadcast) or
// goes out as multicast.
QString notAHost(const TargetRange &range, const QString &target)
{
    const auto holds = [&range](quint32 low, quint32 high) { return range.first <= high && range.last >= low; };
    const QString quoted = u'"' + target.trimmed().left(64) + u'"';
    if (holds(0xffffffffu, 0xffffffffu))
        return u"Not a host: %1 is or includes the broadcast address 255.255.255.255, "
               u"which the finder's own broadcast already uses"_s.arg(quoted);
    if (holds(0, 0))
        return u"Not a host: %1 is or includes 0.0.0.0, which names no host"_s.arg(quoted);
    if (holds(0xe0000000u, 0xefffffffu))
        return u"Not a host: %1 is or includes multicast addresses (224.0.0.0/4), which reach groups, "
               u"not one device"_s.arg(quoted);
    if (holds(0xf0000000u, 0xfffffffeu))
        return u"Not a host: %1 is or includes reserved addresses (240.0.0.0/4), which no host has"_s.arg(quoted);
    return {};
}

} // namespace

quint64 TargetList::addressCount() const
{
    quint64 count = 0;
    for (const TargetRange &range : ranges)
        count += range.size();
    return count;
}

TargetList TargetList::without(const QList<Ipv4Subnet> &subnets) const
{
    QList<TargetRange> left = ranges;
    for (const Ipv4Subnet &subnet : subnets) {
        const quint32 hostMask = subnet.prefixLength <= 0 ? 0xffffffffu : (1u << (32 - subnet.prefixLength)) - 1;
        const quint32 low = subnet.network & ~hostMask;
        const quint32 high = low | hostMask;
        QList<TargetRange> next;
        for (const TargetRange &range : std::as_const(left)) {
            if (range.last < low || range.first > high) {
                next.append(range);
                continue;
            }
            if (range.first < low)
                next.append({range.first, low - 1});
            if (range.last > high)
                next.append({high + 1, range.last});
        }
        left = std::move(next);
    }
    return TargetList{left, error};
}

std::optional<TargetRange> parseTargetRange(const QString &target)
{
    const QStringView text = QStringView(target).trimmed();
    if (const qsizetype slash = text.indexOf(u'/'); slash >= 0) {
        const std::optional<quint32> address = parseAddress(text.first(slash));
        const std::optional<int> prefix = parsePrefix(text.sliced(slash + 1));
        if (!address || !prefix)
            return std::nullopt;
        const quint32 hostMask = *prefix == 0 ? 0xffffffffu : (1u << (32 - *prefix)) - 1;
        // A block given by any of its addresses means the whole block. Its
        // hosts only: a request to the block's broadcast address would reach
        // a local segment's devices a second time.
        const quint32 network = *address & ~hostMask;
        if (*prefix <= 30)
            return TargetRange{network + 1, (network | hostMask) - 1};
        return TargetRange{network, network | hostMask};
    }
    if (const qsizetype dash = text.indexOf(u'-'); dash >= 0) {
        const std::optional<quint32> first = parseAddress(text.first(dash));
        const std::optional<quint32> last = parseAddress(text.sliced(dash + 1));
        if (!first || !last || *last < *first)
            return std::nullopt;
        return TargetRange{*first, *last};
    }
    const std::optional<quint32> address = parseAddress(text);
    if (!address)
        return std::nullopt;
    return TargetRange{*address, *address};
}

TargetList parseTargetAddresses(const QStringList &arguments)
{
    const QRegularExpression separators(u"[,\\s]+"_s);
    QList<TargetRange> ranges;
    for (const QString &argument : arguments) {
        const QStringList parts = argument.split(separators, Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return TargetList{{}, u"Empty target address"_s};
        for (const QString &part : parts) {
            const std::optional<TargetRange> range = parseTargetRange(part);
            if (!range)
                return TargetList{{}, u"Not an address, CIDR block or range: \"%1\""_s.arg(part.left(64))};
            if (const QString why = notAHost(*range, part); !why.isEmpty())
                return TargetList{{}, why};
            ranges.append(*range);
        }
    }

    // Overlapping targets ask for an address once: each request is one more
    // reply, and one more row, from the device there.
    std::sort(ranges.begin(), ranges.end(), [](const TargetRange &a, const TargetRange &b) {
        return a.first < b.first;
    });
    TargetList list;
    for (const TargetRange &range : std::as_const(ranges)) {
        if (!list.ranges.isEmpty() && quint64(range.first) <= quint64(list.ranges.back().last) + 1)
            list.ranges.back().last = std::max(list.ranges.back().last, range.last);
        else
            list.ranges.append(range);
    }
    if (const quint64 count = list.addressCount(); count > TargetList::MaxAddresses) {
        return TargetList{{}, u"Too many target addresses: %1, at most %2 per query"_s.arg(
                                      QString::number(count), QString::number(TargetList::MaxAddresses))};
    }
    return list;
}
