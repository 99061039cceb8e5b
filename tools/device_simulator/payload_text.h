#pragma once

#include <string>
#include <string_view>

// Byte payloads as one-line text and back. The escaped form keeps printable
// ASCII as is and writes everything else as \n, \r, \t, \\ or \xHH, so a
// logged payload never breaks a log line and can be pasted back into --raw.
namespace payload_text {

std::string escape(std::string_view bytes);
// Throws std::invalid_argument on a dangling or unknown escape.
std::string unescape(std::string_view text);

std::string toHex(std::string_view bytes);
// Spaces, colons and dashes between byte pairs are ignored.
std::string fromHex(std::string_view hex);

} // namespace payload_text
