#include "discovery/datagram_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

QString decodeDatagram(const QByteArray &payload)
{
    // Nearly every reply is plain ASCII, which reads the same in any code page.
    if (isAscii(payload))
        return QString::fromLatin1(payload);

    QStringDecoder system(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    QString text = system(payload);
    if (!system.hasError())
        return text;

    QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    if (!gb18030.isValid())
        return text;
    return gb18030(payload);
}

QByteArray encodeDatagram(const QString &text)
{
    QStringEncoder system(QStringEncoder::System, QStringEncoder::Flag::Stateless);
    return system(text);
}
