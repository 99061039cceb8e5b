#include "discovery_messages.h"

#include <QStringView>

namespace {

constexpr qsizetype MacKeyLength = 13;
constexpr qsizetype SwVersionKeyLength = 12;
constexpr qsizetype SerialKeyLength = 15;
constexpr qsizetype DescriptionKeyLength = 13;

// Positions live in 16 bits; anything found further in cannot be stored.
constexpr qsizetype MaxPosition = 32767;

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
    return QString::fromUtf16(REQUEST_TEXT);
}

DeviceReply parseReply(const QString &text)
{
    const qsizetype mac = findKey(text, DiscoveryKeys::MAC);
    const qsizetype swVersion = findKey(text, DiscoveryKeys::SW_VERSION);
    const qsizetype serial = findKey(text, DiscoveryKeys::SERIAL);
    const qsizetype display = findKey(text, DiscoveryKeys::DISPLAY);
    const qsizetype description = findKey(text, DiscoveryKeys::DESCRIPTION);

    DeviceReply reply;
    const auto store = [](qsizetype position) {
        return static_cast<qint16>(position <= MaxPosition ? position : 0);
    };
    reply.MacPos = store(mac);
    reply.SwVersionPos = store(swVersion);
    reply.SerialPos = store(serial);
    reply.DisplayPos = store(display);
    reply.DescriptionPos = store(description);

    const bool representable = mac <= MaxPosition && swVersion <= MaxPosition
            && serial <= MaxPosition && display <= MaxPosition && description <= MaxPosition;
    reply.accepted = !text.isEmpty() && mac != 0 && representable;
    if (!reply.accepted)
        return reply;

    reply.MacAddress = cut(text, mac + MacKeyLength, swVersion - mac - MacKeyLength);
    reply.SwVersion = cut(text, swVersion + SwVersionKeyLength, serial - swVersion - SwVersionKeyLength);
    reply.SerialNumber = cut(text, serial + SerialKeyLength, display - serial - SerialKeyLength);
    reply.Description = cut(text, description + DescriptionKeyLength,
                            text.size() - description - DescriptionKeyLength + 1);
    return reply;
}
