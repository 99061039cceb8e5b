#pragma once

#include <QString>
#include <QtGlobal>

// The two texts of the discovery exchange: the request the finder broadcasts
// and the labelled reply a device sends back. Pure text handling, no state.

// "hip/1.0", one line feed, "request: echo": 21 characters, all ASCII.
inline constexpr char16_t REQUEST_TEXT[] = u"hip/1.0\nrequest: echo";

struct DeviceReply
{
    // 1-based position of each key's first occurrence, 0 when absent.
    qint16 MacPos = 0;
    qint16 SwVersionPos = 0;
    qint16 SerialPos = 0;
    qint16 DisplayPos = 0;
    qint16 DescriptionPos = 0;

    // True when the text is non-empty, "mac-address: " was found and no key
    // was found beyond what a 16-bit position can hold (such a key reads 0).
    bool accepted = false;

    // Values as cut from the text, nothing trimmed. Empty when not accepted.
    QString MacAddress;
    QString SwVersion;
    QString SerialNumber;
    QString Description;
};

namespace DiscoveryKeys {
inline constexpr char16_t MAC[] = u"mac-address: ";
inline constexpr char16_t SW_VERSION[] = u"sw-version: ";
inline constexpr char16_t SERIAL[] = u"serial-number: ";
inline constexpr char16_t DISPLAY[] = u"display: ";
inline constexpr char16_t DESCRIPTION[] = u"description: ";
}

QString buildRequest();
DeviceReply parseReply(const QString &text);
