#include "app/OscCodec.h"

#include <cstring>

namespace velmora {
namespace osc {

namespace {

uint32_t big32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint64_t big64(const uint8_t* p) { return uint64_t(big32(p)) << 32 | big32(p + 4); }

size_t padded(size_t length) { return (length + 3) & ~size_t(3); }

// A string ended by NUL within [at, end), and where the part after its
// padding starts; false when it does not end within the packet.
bool readString(const uint8_t*& at, const uint8_t* end, std::string_view& text) {
    const size_t room = size_t(end - at);
    const void* nul = std::memchr(at, 0, room);
    if (!nul) return false;
    const size_t length = size_t(static_cast<const uint8_t*>(nul) - at);
    const size_t taken = padded(length + 1);
    if (taken > room) return false;
    text = std::string_view(reinterpret_cast<const char*>(at), length);
    at += taken;
    return true;
}

ReadError readArgs(const uint8_t*& at, const uint8_t* end, std::string_view tags, Message& out) {
    for (char tag : tags) {
        if (out.argCount == MAX_ARGS) return ReadError::BadTypeTags;
        Arg& arg = out.args[out.argCount++];
        arg = Arg{};
        arg.type = tag;
        const size_t room = size_t(end - at);
        switch (tag) {
        case 'i':
        case 'c':
        case 'f':
        case 'r':
        case 'm':
            if (room < 4) return ReadError::Truncated;
            arg.i = int32_t(big32(at));
            if (tag == 'f') {
                const uint32_t bits = big32(at);
                std::memcpy(&arg.f, &bits, sizeof arg.f);
            }
            at += 4;
            break;
        case 'h':
        case 't':
        case 'd':
            if (room < 8) return ReadError::Truncated;
            arg.h = int64_t(big64(at));
            if (tag == 'd') {
                const uint64_t bits = big64(at);
                std::memcpy(&arg.d, &bits, sizeof arg.d);
            }
            at += 8;
            break;
        case 's':
        case 'S':
            if (!readString(at, end, arg.s)) return ReadError::Truncated;
            break;
        case 'b': {
            if (room < 4) return ReadError::Truncated;
            const uint32_t length = big32(at);
            if (length > room - 4 || padded(length) > room - 4) return ReadError::Truncated;
            arg.s = std::string_view(reinterpret_cast<const char*>(at + 4), length);
            at += 4 + padded(length);
            break;
        }
        case 'T':
            arg.i = 1;
            break;
        case 'F':
        case 'N':
        case 'I':
            break;
        default:
            return ReadError::UnknownType;
        }
    }
    return ReadError::None;
}

ReadError readMessage(const uint8_t* at, const uint8_t* end, Message& out) {
    out.argCount = 0;
    if (*at != '/' || !readString(at, end, out.address)) return ReadError::BadAddress;
    if (at == end) return ReadError::None; // no type tags: no arguments
    std::string_view tags;
    if (*at != ',' || !readString(at, end, tags)) return ReadError::BadTypeTags;
    tags.remove_prefix(1);
    if (tags.size() > MAX_ARGS) return ReadError::BadTypeTags;
    const ReadError error = readArgs(at, end, tags, out);
    if (error != ReadError::None) return error;
    // Bytes left over after the last argument are not part of any message.
    return at == end ? ReadError::None : ReadError::Truncated;
}

const char BUNDLE_TAG[8] = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0};

ReadError readElement(const uint8_t* at, size_t size, int depth, Message& scratch, MessageSink* sink) {
    if (size == 0) return ReadError::Empty;
    if (size % 4 != 0) return ReadError::NotAligned;
    const uint8_t* end = at + size;
    if (*at != '#') {
        const ReadError error = readMessage(at, end, scratch);
        if (error == ReadError::None && sink) sink->message(scratch);
        return error;
    }
    if (size < 16 || std::memcmp(at, BUNDLE_TAG, sizeof BUNDLE_TAG) != 0) return ReadError::BadBundle;
    if (depth >= MAX_BUNDLE_DEPTH) return ReadError::TooDeep;
    at += 16; // the tag and the time tag
    while (at != end) {
        if (size_t(end - at) < 4) return ReadError::BadBundle;
        const uint32_t length = big32(at);
        at += 4;
        if (length == 0 || length % 4 != 0 || length > size_t(end - at)) return ReadError::BadBundle;
        const ReadError error = readElement(at, length, depth + 1, scratch, sink);
        if (error != ReadError::None) return error;
        at += length;
    }
    return ReadError::None;
}

} // namespace

const char* describe(ReadError error) {
    switch (error) {
    case ReadError::None: return "no fault";
    case ReadError::Empty: return "the packet is empty";
    case ReadError::NotAligned: return "a size is not a multiple of 4";
    case ReadError::BadAddress: return "the address is not a readable OSC address";
    case ReadError::BadTypeTags: return "the type tags are not readable";
    case ReadError::UnknownType: return "a type tag is not known";
    case ReadError::Truncated: return "the arguments do not match the packet's length";
    case ReadError::BadBundle: return "a bundle element's size is wrong";
    case ReadError::TooDeep: return "bundles are nested too deep";
    }
    return "unknown fault";
}

ReadError readPacket(const uint8_t* data, size_t size, MessageSink* sink) {
    if (!data) return ReadError::Empty;
    Message scratch; // about 3 KiB on the stack, no allocation
    // Whole first: nothing is handed on from a packet that does not read.
    const ReadError error = readElement(data, size, 0, scratch, nullptr);
    if (error != ReadError::None || !sink) return error;
    return readElement(data, size, 0, scratch, sink);
}

// ---------------------------------------------------------------------------

Writer& Writer::begin(std::string_view address, std::string_view tags) {
    used_ = 0;
    nextTag_ = 0;
    tags_ = tags;
    ok_ = !address.empty() && address[0] == '/';
    putPadded(address);
    if (!ok_ || used_ + padded(tags.size() + 2) > capacity_) {
        ok_ = false;
        return *this;
    }
    const size_t start = used_;
    buffer_[used_++] = ',';
    std::memcpy(buffer_ + used_, tags.data(), tags.size());
    used_ += tags.size();
    while (used_ < start + padded(tags.size() + 2)) buffer_[used_++] = 0;
    return *this;
}

bool Writer::expect(char tag) {
    if (!ok_ || nextTag_ >= tags_.size() || tags_[nextTag_] != tag) return ok_ = false;
    ++nextTag_;
    return true;
}

void Writer::putBig32(uint32_t value) {
    if (!ok_ || capacity_ - used_ < 4) {
        ok_ = false;
        return;
    }
    buffer_[used_++] = uint8_t(value >> 24);
    buffer_[used_++] = uint8_t(value >> 16);
    buffer_[used_++] = uint8_t(value >> 8);
    buffer_[used_++] = uint8_t(value);
}

void Writer::putPadded(std::string_view text) {
    if (!ok_ || text.find('\0') != std::string_view::npos || capacity_ - used_ < padded(text.size() + 1)) {
        ok_ = false;
        return;
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    const size_t end = used_ + padded(text.size() + 1);
    used_ += text.size();
    while (used_ < end) buffer_[used_++] = 0;
}

Writer& Writer::putInt(int32_t value) {
    if (expect('i')) putBig32(uint32_t(value));
    return *this;
}

Writer& Writer::putFloat(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if (expect('f')) putBig32(bits);
    return *this;
}

Writer& Writer::putString(std::string_view value) {
    if (expect('s')) putPadded(value);
    return *this;
}

} // namespace osc
} // namespace velmora
