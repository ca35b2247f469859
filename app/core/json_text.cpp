#include "core/json_text.h"

#include <algorithm>
#include <cstdio>

namespace z2e {
namespace {

// Length of the valid UTF-8 sequence starting at `at`, or 0 (overlong forms, surrogates and
// code points above U+10FFFF are invalid).
std::size_t utf8SequenceLength(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xbf)
            return 0;
    }
    return length;
}

} // namespace

std::string validUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            out += text[i];
            continue;
        }
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xef\xbf\xbd";
            continue;
        }
        out.append(text, i, length);
        i += length - 1;
    }
    return out;
}

std::string jsonString(const std::string& text)
{
    std::string out;
    appendJsonString(out, text);
    return out;
}

void appendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    // Most texts (serials, models, times) are plain ASCII and go in whole.
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7f && c != '"' && c != '\\';
    });
    if (plain) {
        out += text;
        out += '"';
        return;
    }
    const std::string valid = validUtf8(text);
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const char c = valid[i];
        auto byte = static_cast<unsigned char>(c);
        // DEL and the C1 controls (U+0080 to U+009F) escaped too: JSON read on a terminal runs none.
        const bool c1 = byte == 0xc2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) < 0xa0;
        if (c1)
            byte = static_cast<unsigned char>(valid[++i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7f || c1) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace z2e
