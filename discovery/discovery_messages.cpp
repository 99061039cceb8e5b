#include "discovery/discovery_messages.h"

#include <QStringView>

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>

namespace {

constexpr qsizetype MacKeyLength = QStringView(DiscoveryKeys::Mac).size();
constexpr qsizetype SwVersionKeyLength = QStringView(DiscoveryKeys::SwVersion).size();
constexpr qsizetype SerialKeyLength = QStringView(DiscoveryKeys::Serial).size();
constexpr qsizetype DescriptionKeyLength = QStringView(DiscoveryKeys::Description).size();

// Positions live in 16 bits; anything found further in cannot be stored.
constexpr qsizetype MaxPosition = std::numeric_limits<decltype(DeviceReply::macPos)>::max();

enum Key { MacKey, SwVersionKey, SerialKey, DisplayKey, DescriptionKey, KeyCount };

template<std::size_t N>
constexpr bool endsInColonSpace(const char16_t (&key)[N])
{
    return N >= 3 && key[N - 3] == u':' && key[N - 2] == u' ';
}

static_assert(endsInColonSpace(DiscoveryKeys::Mac) && endsInColonSpace(DiscoveryKeys::SwVersion)
              && endsInColonSpace(DiscoveryKeys::Serial) && endsInColonSpace(DiscoveryKeys::Display)
              && endsInColonSpace(DiscoveryKeys::Description));

// 1-based position of each key's first occurrence, 0 when absent. Every key
// ends in ": ", so each first occurrence ends at one of the text's ": "
// pairs: one pass over the text finds them all, rather than one per key.
std::array<qsizetype, KeyCount> findKeys(QStringView text)
{
    static constexpr std::array<QStringView, KeyCount> Keys{DiscoveryKeys::Mac, DiscoveryKeys::SwVersion,
                                                           DiscoveryKeys::Serial, DiscoveryKeys::Display,
                                                           DiscoveryKeys::Description};
    std::array<qsizetype, KeyCount> found{};
    int missing = KeyCount;
    for (qsizetype colon = text.indexOf(u':'); colon >= 0 && missing > 0; colon = text.indexOf(u':', colon + 1)) {
        if (colon + 1 == text.size() || text[colon + 1] != u' ')
            continue;
        const QStringView upToPair = text.first(colon + 2);
        for (int k = 0; k < KeyCount; ++k) {
            if (found[k] == 0 && upToPair.endsWith(Keys[k])) {
                found[k] = upToPair.size() - Keys[k].size() + 1;
                --missing;
            }
        }
    }
    return found;
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

// Nothing a listing could show: white space, control and format characters
// (zero-width, bidi, tags) and lone surrogates only. A metric's label drops
// them all, so an identifier made of them would be empty there.
bool isBlank(QStringView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        char32_t code = value[i].unicode();
        if (value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(value[i], value[i + 1]);
            ++i;
        }
        const QChar::Category category = QChar::category(code);
        if (!QChar::isSpace(code) && category != QChar::Other_Control && category != QChar::Other_Format
            && category != QChar::Other_Surrogate)
            return false;
    }
    return true;
}

} // namespace

QString buildRequest()
{
    return QString::fromUtf16(RequestText);
}

DeviceReply parseReply(const QString &text)
{
    const std::array<qsizetype, KeyCount> keys = findKeys(text);
    const qsizetype mac = keys[MacKey];
    const qsizetype swVersion = keys[SwVersionKey];
    const qsizetype serial = keys[SerialKey];
    const qsizetype display = keys[DisplayKey];
    const qsizetype description = keys[DescriptionKey];

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

Rejection rejectionOf(const DeviceReply &reply, QStringView senderAddress)
{
    if (!reply.accepted)
        return Rejection::NotAReply;
    if (isBlank(reply.macAddress))
        return Rejection::NoMac;
    if (isBlank(reply.serialNumber))
        return Rejection::NoSerial;
    return isBlank(senderAddress) ? Rejection::NoSender : Rejection::None;
}

QString rejectionText(const QString &text, Rejection rejection)
{
    switch (rejection) {
    case Rejection::None: break;
    case Rejection::NotAReply:
        if (text.isEmpty())
            return QStringLiteral("empty");
        return text.contains(QStringView(DiscoveryKeys::Mac)) ? QStringLiteral("a key beyond character %1").arg(MaxPosition)
                                                               : QStringLiteral("no \"mac-address: \" key");
    case Rejection::NoMac: return QStringLiteral("no MAC address");
    case Rejection::NoSerial: return QStringLiteral("no serial number");
    case Rejection::NoSender: return QStringLiteral("no sender address");
    }
    return {};
}
