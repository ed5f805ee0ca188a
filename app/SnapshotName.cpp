#include "app/SnapshotName.h"

#include <cstdint>

namespace velmora {

namespace {

// The number of characters of well-formed UTF-8, or -1.
long utf8Characters(const std::string& text) {
    long count = 0;
    for (size_t i = 0; i < text.size(); ++count) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return -1;
        uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return -1;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are no text.
        static const uint32_t LEAST[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < LEAST[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return -1;
        i += length;
    }
    return count;
}

} // namespace

std::string snapshotNameProblem(const std::string& name) {
    const long characters = utf8Characters(name);
    if (characters < 0) return "The snapshot's name is not readable text.";
    if (characters < 1 || size_t(characters) > SNAPSHOT_NAME_MAX) return "A snapshot's name is 1 to 24 characters.";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "The snapshot's name holds a control character.";
    return {};
}

} // namespace velmora
