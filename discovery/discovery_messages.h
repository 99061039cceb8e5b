#pragma once

#include <QString>
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
// Why a parsed text is no device's reply, for the log; empty when it is one.
QString rejectionReason(const QString &text, const DeviceReply &reply);
