#include "message_format.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

namespace kest::tool {
namespace {

std::string Hex2(unsigned char byte) {
    char text[5];
    std::snprintf(text, sizeof text, "%02x", byte);
    return text;
}

// Overlong forms, surrogates and code points above U+10FFFF are not UTF-8.
bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07u;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;  // truncated sequence
        for (std::size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) return false;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::string IsoTime(std::int64_t unix_ms) {
    std::time_t seconds = static_cast<std::time_t>(unix_ms / 1000);
    std::int64_t millis = unix_ms % 1000;
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis));
    return text;
}

namespace {

// The shared escaping of both outputs: the backslash, tab and newline by name, the quote too in
// JSON, other control bytes (and high bytes of text that is not UTF-8) in hex.
std::string Escaped(std::string_view bytes, bool json) {
    const bool utf8 = IsValidUtf8(bytes);
    const char* hex = json ? "\\u00" : "\\x";
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\\' || (json && c == '"')) {
            out += '\\';
            out += ch;
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && !utf8)) {
            out += hex + Hex2(c);
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace

std::string LineField(std::string_view bytes) {
    return Escaped(bytes, false);
}

std::string JsonString(std::string_view bytes) {
    return '"' + Escaped(bytes, true) + '"';
}

std::string MessageLine(const QueueMessage& message) {
    return std::to_string(message.ID) + '\t' + std::to_string(message.Priority) + '\t' +
           IsoTime(message.SentTime) + '\t' + LineField(message.Queue) + '\t' +
           LineField(message.Label) + '\t' + LineField(message.Body);
}

std::string MessageJson(const QueueMessage& message) {
    return "{\"id\":" + std::to_string(message.ID) + ",\"queue\":" + JsonString(message.Queue) +
           ",\"label\":" + JsonString(message.Label) +
           ",\"priority\":" + std::to_string(message.Priority) +
           ",\"body\":" + JsonString(message.Body) + ",\"sent\":\"" + IsoTime(message.SentTime) +
           "\",\"sent_ms\":" + std::to_string(message.SentTime) + "}";
}

}  // namespace kest::tool
