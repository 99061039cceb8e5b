#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

// The two texts of the discovery exchange: the request the finder broadcasts
// and the labelled reply a device sends back. Pure text handling, no state.

// "hip/1.0", one line feed, "request: echo": 21 characters, all ASCII.
inline constexpr char16_t RequestText[] = u"hip/1.0\nrequest: echo";

struct DeviceReply
{
    // 1-based position of each key's first occurrence, 0 when absent.
    qint16 macPos = 0;
    qint16 swVersionPos = 0;
    qint16 serialPos = 0;
    qint16 displayPos = 0;
    qint16 descriptionPos = 0;

    // True when the text is non-empty, "mac-address: " was found and no key
    // was found beyond what a 16-bit position can hold (such a key reads 0).
    bool accepted = false;

    // Values as cut from the text, nothing trimmed. Empty when not accepted.
    QString macAddress;
    QString swVersion;
    QString serialNumber;
    QString description;
};

namespace DiscoveryKeys {
inline constexpr char16_t Mac[] = u"mac-address: ";
inline constexpr char16_t SwVersion[] = u"sw-version: ";
inline constexpr char16_t Serial[] = u"serial-number: ";
inline constexpr char16_t Display[] = u"display: ";
inline constexpr char16_t Description[] = u"description: ";
}

QString buildRequest();
DeviceReply parseReply(const QString &text);

// Whether an accepted reply can stand as a device in the results: its MAC
// address, its serial number and the sender's address each hold more than
// white space and control characters. A reply with less cannot be told
// apart from another device, nor named in a listing, so it is no device;
// like any other datagram it still reaches the reply pane.
enum class Rejection { None, NotAReply, NoMac, NoSerial, NoSender };
Rejection rejectionOf(const DeviceReply &reply, QStringView senderAddress);
inline bool identifiesDevice(const DeviceReply &reply, QStringView senderAddress)
{
    return rejectionOf(reply, senderAddress) == Rejection::None;
}
// The rejection of the datagram text in words, for the log.
QString rejectionText(const QString &text, Rejection rejection);
