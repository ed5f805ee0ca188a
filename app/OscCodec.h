// Open Sound Control 1.0 packets: a message (an address, a type tag string
// and its arguments) or a bundle (a time tag and sized elements, each a
// message or a bundle), every part padded to 4 bytes, numbers big-endian.
// Reading checks every length against the packet's end and never allocates:
// strings and blobs are views into the packet. Writing goes into a buffer
// the caller owns, so that a message sent every meter tick costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora {
namespace osc {

// The largest number of arguments a message may carry here.
constexpr size_t MAX_ARGS = 64;
// Bundles inside bundles, at most this deep.
constexpr int MAX_BUNDLE_DEPTH = 4;

struct Arg {
    char type = 0;         // the type tag: i f s S b h d t c T F N I
    int32_t i = 0;         // i, c (a character), T (1), F (0)
    float f = 0.0f;        // f
    int64_t h = 0;         // h, t
    double d = 0.0;        // d
    std::string_view s;    // s, S; b (the blob's bytes)
};

struct Message {
    std::string_view address; // starts with '/'
    size_t argCount = 0;
    Arg args[MAX_ARGS];
};

enum class ReadError {
    None,
    Empty,        // no bytes
    NotAligned,   // a size that is not a multiple of 4
    BadAddress,   // no '/' first, or not ended within the packet
    BadTypeTags,  // no ',' first, not ended, or too many arguments
    UnknownType,  // a type tag this reader does not know
    Truncated,    // an argument reaches past the end
    BadBundle,    // an element size that is zero, unaligned or too large
    TooDeep,      // bundles nested deeper than MAX_BUNDLE_DEPTH
};

// One sentence for a reason ("a type tag is not known").
const char* describe(ReadError error);

// Who hears each message of a packet, in order.
class MessageSink {
public:
    virtual void message(const Message& message) = 0;

protected:
    ~MessageSink() = default;
};

// Reads a whole packet first; only a packet that reads whole is handed to
// `sink`, message by message (a bundle's time tag is not waited for). A
// message with no type tag string at all is taken as one without arguments.
ReadError readPacket(const uint8_t* data, size_t size, MessageSink* sink);

// Writes one message into a buffer of the caller's: begin with the address
// and the type tags (without the comma), then each argument in that order.
// `size()` is 0 when anything did not fit or did not match the tags.
class Writer {
public:
    Writer(uint8_t* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {}

    Writer& begin(std::string_view address, std::string_view tags);
    Writer& putInt(int32_t value);
    Writer& putFloat(float value);
    Writer& putString(std::string_view value);

    size_t size() const { return ok_ && nextTag_ == tags_.size() ? used_ : 0; }

private:
    bool expect(char tag);
    void putPadded(std::string_view text);
    void putBig32(uint32_t value);

    uint8_t* buffer_;
    size_t capacity_;
    size_t used_ = 0;
    std::string_view tags_;
    size_t nextTag_ = 0;
    bool ok_ = false;
};

} // namespace osc
} // namespace velmora
