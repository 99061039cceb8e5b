#include "discovery_messages.h"

#include <QStringView>

#include <limits>

namespace {

constexpr qsizetype MacKeyLength = QStringView(DiscoveryKeys::Mac).size();
constexpr qsizetype SwVersionKeyLength = QStringView(DiscoveryKeys::SwVersion).size();
constexpr qsizetype SerialKeyLength = QStringView(DiscoveryKeys::Serial).size();
constexpr qsizetype DescriptionKeyLength = QStringView(DiscoveryKeys::Description).size();

// Positions live in 16 bits; anything found further in cannot be stored.
constexpr qsizetype MaxPosition = std::numeric_limits<decltype(DeviceReply::macPos)>::max();

// 1-based position of the first occurrence, 0 when absent.
qsizetype findKey(QStringView text, QStringView key)
{
    return text.indexOf(key, 0, Qt::CaseSensitive) + 1;
}

// 1-based substring: a start past the end or a count of zero or less gives
// empty text, a count running past the end is cut there.
QString cut(const QString &text, qsizetype start, qsizetype count)
{
    const qsizetype from = start - 1;
    if (count <= 0 || from < 0 || from >= text.size())
        return {};
    return text.mid(from, qMin(count, text.size() - from));
}

} // namespace

QString buildRequest()
{
    return QString::fromUtf16(RequestText);
}

DeviceReply parseReply(const QString &text)
{
    const qsizetype mac = findKey(text, DiscoveryKeys::Mac);
    const qsizetype swVersion = findKey(text, DiscoveryKeys::SwVersion);
    const qsizetype serial = findKey(text, DiscoveryKeys::Serial);
    const qsizetype display = findKey(text, DiscoveryKeys::Display);
    const qsizetype description = findKey(text, DiscoveryKeys::Description);

    DeviceReply reply;
    const auto store = [](qsizetype position) {
        return static_cast<qint16>(position <= MaxPosition ? position : 0);
    };
    reply.macPos = store(mac);
    reply.swVersionPos = store(swVersion);
    reply.serialPos = store(serial);
    reply.displayPos = store(display);
    reply.descriptionPos = store(description);

    const bool representable = mac <= MaxPosition && swVersion <= MaxPosition
            && serial <= MaxPosition && display <= MaxPosition && description <= MaxPosition;
    reply.accepted = !text.isEmpty() && mac != 0 && representable;
    if (!reply.accepted)
        return reply;

    reply.macAddress = cut(text, mac + MacKeyLength, swVersion - mac - MacKeyLength);
    reply.swVersion = cut(text, swVersion + SwVersionKeyLength, serial - swVersion - SwVersionKeyLength);
    reply.serialNumber = cut(text, serial + SerialKeyLength, display - serial - SerialKeyLength);
    reply.description = cut(text, description + DescriptionKeyLength,
                            text.size() - description - DescriptionKeyLength + 1);
    return reply;
}
