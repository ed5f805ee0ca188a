#include "app/LogText.h"

#include <cstdint>
#include <cstdio>

namespace velmora {

namespace {

// The length of the UTF-8 sequence at text[i] and its code point, or 0 when
// the bytes there are not one (a stray continuation byte, an overlong form,
// a surrogate, beyond U+10FFFF, cut off).
size_t decodeUtf8(const std::string& text, size_t i, uint32_t& codePoint) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - i < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return length;
}

bool printable(uint32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;         // C0, DEL, C1
    if (c == 0x2028 || c == 0x2029) return false;                     // line, paragraph separator
    if ((c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)) // bidirectional overrides
        return false;
    return true;
}

} // namespace

std::string escapeLogText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    char escape[12];
    for (size_t i = 0; i < text.size();) {
        uint32_t c = 0;
        const size_t length = decodeUtf8(text, i, c);
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\x%02x", unsigned(static_cast<unsigned char>(text[i])));
            out += escape;
            ++i;
            continue;
        }
        if (printable(c)) {
            out.append(text, i, length);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            std::snprintf(escape, sizeof escape, c < 0x80 ? "\\x%02x" : "\\u%04x", unsigned(c));
            out += escape;
        }
        i += length;
    }
    return out;
}

} // namespace velmora
