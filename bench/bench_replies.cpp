#include "bench_replies.h"

#include <cstdio>

namespace bench_replies {
namespace {

std::string deviceFields(std::uint32_t index, const char *macKey)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s02-BE-%02X-%02X-%02X-%02X\nsw-version: 2.%u.%u\nserial-number: %012u\n"
                  "display: 1\ndescription: Bench door phone %u",
                  macKey, index >> 24 & 0xffu, index >> 16 & 0xffu, index >> 8 & 0xffu, index & 0xffu,
                  index >> 8 & 0xffu, index & 0xffu, 100000000u + index, index);
    return text;
}

std::string noise(std::uint32_t k)
{
    // Every byte value, NUL and invalid UTF-8 included, in a length of 1..200.
    std::string bytes(1 + k % 200, '\0');
    std::uint32_t state = k * 2654435761u + 1;
    for (char &b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::string largeText(std::uint32_t k)
{
    // Mostly one frame; every tenth needs IP fragments.
    const std::size_t size = k % 100 == 9 ? 8000 : 1400;
    std::string text = "status: busy\n";
    while (text.size() < size)
        text += "lorem ipsum dolor sit amet ";
    text.resize(size);
    return text;
}

} // namespace

std::string deviceReply(std::uint32_t index)
{
    return deviceFields(index, "mac-address: ");
}

std::string floodDatagram(std::uint32_t k)
{
    switch (k % 10) {
    case 5:
        return "mac-address: sw-version: 1.0\nserial-number: 7\ndisplay: 1\ndescription: no MAC";
    case 6:
        return "hip/1.0\nrequest: echo";
    case 7:
        if (k % 20 == 7)
            return deviceFields(k, "MAC-ADDRESS: ");
        return "description: keys out of order\nmac-address: 02-00-00-00-00-01\nserial-number: 1\n"
               "sw-version: 1\ndisplay: 1";
    case 8:
        return noise(k);
    case 9:
        return largeText(k);
    default:
        return deviceReply(k);
    }
}

} // namespace bench_replies
