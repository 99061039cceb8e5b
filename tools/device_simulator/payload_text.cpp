#include "tools/device_simulator/payload_text.h"

#include <stdexcept>

namespace payload_text {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string escape(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
            if (u >= 0x20 && u < 0x7f) {
                out += c;
            } else {
                out += "\\x";
                out += kHexDigits[u >> 4];
                out += kHexDigits[u & 0xf];
            }
        }
    }
    return out;
}

std::string unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            throw std::invalid_argument("dangling backslash");
        switch (text[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            const int hi = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                throw std::invalid_argument("\\x needs two hex digits");
            out += static_cast<char>(hi << 4 | lo);
            i += 2;
            break;
        }
        default:
            throw std::invalid_argument(std::string("unknown escape \\") + text[i]);
        }
    }
    return out;
}

std::string toHex(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out += kHexDigits[u >> 4];
        out += kHexDigits[u & 0xf];
    }
    return out;
}

std::string fromHex(std::string_view hex)
{
    std::string out;
    int pending = -1;
    for (const char c : hex) {
        if (c == ' ' || c == ':' || c == '-') {
            if (pending >= 0)
                throw std::invalid_argument("separator inside a hex byte");
            continue;
        }
        const int v = hexValue(c);
        if (v < 0)
            throw std::invalid_argument(std::string("not a hex digit: ") + c);
        if (pending < 0) {
            pending = v;
        } else {
            out += static_cast<char>(pending << 4 | v);
            pending = -1;
        }
    }
    if (pending >= 0)
        throw std::invalid_argument("odd number of hex digits");
    return out;
}

} // namespace payload_text
