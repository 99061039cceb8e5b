// Reply parsing on any datagram: the payload is read the way the endpoint
// reads it, and once more as raw UTF-16, which reaches code units no code
// page decoder produces (lone surrogates, noncharacters).

#include "discovery/datagram_text.h"
#include "discovery/discovery_messages.h"
#include "fuzz/fuzz_check.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr qsizetype MaxPosition = 32767;

struct Key
{
    QStringView text;
    qint16 position;
};

// A stored position is the first occurrence; 0 means none starts at or
// before the last representable position.
bool positionIsFirstOccurrence(QStringView text, const Key &key)
{
    const qsizetype searchedLength = qMin(text.size(), MaxPosition + key.text.size() - 1);
    if (key.position == 0)
        return !text.first(searchedLength).contains(key.text);
    if (key.position < 0)
        return false;
    const qsizetype index = key.position - 1;
    return text.sliced(index).startsWith(key.text)
            && !text.first(index + key.text.size() - 1).contains(key.text);
}

// A value starts right after its key (at character keyLength + 1 when the key
// is absent) and is a piece of the text from there.
bool valueFollowsKey(QStringView text, qint16 position, qsizetype keyLength, const QString &value)
{
    if (value.isEmpty())
        return true;
    const qsizetype start = position + keyLength - 1;
    return start < text.size() && text.sliced(start).startsWith(value);
}

void check(const QString &text)
{
    const DeviceReply reply = parseReply(text);
    const std::array<Key, 5> keys{{
        {DiscoveryKeys::Mac, reply.macPos},
        {DiscoveryKeys::SwVersion, reply.swVersionPos},
        {DiscoveryKeys::Serial, reply.serialPos},
        {DiscoveryKeys::Display, reply.displayPos},
        {DiscoveryKeys::Description, reply.descriptionPos},
    }};
    bool allRepresentable = true;
    for (const Key &key : keys) {
        FUZZ_CHECK(positionIsFirstOccurrence(text, key));
        if (key.position == 0 && text.contains(key.text))
            allRepresentable = false;
    }

    FUZZ_CHECK(reply.accepted == (!text.isEmpty() && reply.macPos > 0 && allRepresentable));
    if (!reply.accepted) {
        FUZZ_CHECK(reply.macAddress.isEmpty() && reply.swVersion.isEmpty()
                   && reply.serialNumber.isEmpty() && reply.description.isEmpty());
        return;
    }
    FUZZ_CHECK(valueFollowsKey(text, reply.macPos, 13, reply.macAddress));
    FUZZ_CHECK(valueFollowsKey(text, reply.swVersionPos, 12, reply.swVersion));
    FUZZ_CHECK(valueFollowsKey(text, reply.serialPos, 15, reply.serialNumber));
    // The description alone always runs to the end of the text.
    const qsizetype descriptionStart = reply.descriptionPos + 12;
    FUZZ_CHECK(reply.description
               == (descriptionStart < text.size() ? text.sliced(descriptionStart) : QString()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray payload = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                       static_cast<qsizetype>(size));
    check(decodeDatagram(payload));
    QString units(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, static_cast<std::size_t>(units.size()) * sizeof(QChar));
    check(units);
    return 0;
}
