// OSC packets read and written: bytes laid out by hand as the OSC 1.0 format
// defines them are the oracle, and every length in a packet is cut short or
// stretched to show that a reader never reads past the packet's end.
#include "app/OscCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct Collect : osc::MessageSink {
    std::vector<std::string> seen; // "address:tags:first int or string"
    void message(const osc::Message& m) override {
        std::string line(m.address);
        line += ":";
        for (size_t i = 0; i < m.argCount; ++i) line += m.args[i].type;
        if (m.argCount && m.args[0].type == 'i') line += ":" + std::to_string(m.args[0].i);
        if (m.argCount && m.args[0].type == 's') line += ":" + std::string(m.args[0].s);
        if (m.argCount && m.args[0].type == 'f') line += ":" + std::to_string(m.args[0].f);
        seen.push_back(line);
    }
};

osc::ReadError read(const Bytes& packet, Collect* sink = nullptr) {
    return osc::readPacket(packet.data(), packet.size(), sink);
}

// "/a/b" i 7, f 0.5, s "hey", b {1,2,3}, T: laid out byte by byte.
const std::string MESSAGE = std::string("/a/b\0\0\0\0,ifsbT\0\0", 16) + std::string("\0\0\0\x07", 4) +
                            std::string("\x3f\0\0\0", 4) + std::string("hey\0", 4) +
                            std::string("\0\0\0\x03\x01\x02\x03\0", 8);

TEST(OscCodec, ReadsAndWritesTheLayoutOfTheFormat) {
    Collect sink;
    ASSERT_EQ(read(bytes(MESSAGE), &sink), osc::ReadError::None);
    ASSERT_EQ(sink.seen.size(), 1u);
    EXPECT_EQ(sink.seen[0], "/a/b:ifsbT:7");

    uint8_t buffer[64];
    osc::Writer writer(buffer, sizeof buffer);
    writer.begin("/velpanel/output/1/volume", "fis").putFloat(-6.5f).putInt(-2).putString("Kopfhörer");
    const Bytes written(buffer, buffer + writer.size());
    const std::string expected = std::string("/velpanel/output/1/volume\0\0\0", 28) + std::string(",fis\0\0\0\0", 8) +
                                 std::string("\xc0\xd0\0\0", 4) + std::string("\xff\xff\xff\xfe", 4) +
                                 std::string("Kopfh\xc3\xb6rer\0\0", 12);
    EXPECT_EQ(written, bytes(expected));
    EXPECT_EQ(read(written, &sink), osc::ReadError::None);
    EXPECT_EQ(sink.seen.back(), "/velpanel/output/1/volume:fis:-6.500000");

    // A message of no arguments, with and without its type tag string.
    EXPECT_EQ(read(bytes(std::string("/velpanel/ping\0\0", 16)), &sink), osc::ReadError::None);
    EXPECT_EQ(read(bytes(std::string("/velpanel/ping\0\0,\0\0\0", 20)), &sink), osc::ReadError::None);
    EXPECT_EQ(sink.seen.back(), "/velpanel/ping:");

    // What does not fit, or does not match the tags, writes nothing.
    osc::Writer small(buffer, 12);
    EXPECT_EQ(small.begin("/velpanel/ping", "").size(), 0u);
    EXPECT_EQ(writer.begin("/x", "i").putFloat(1.0f).size(), 0u);
    EXPECT_EQ(writer.begin("/x", "ii").putInt(1).size(), 0u);
    EXPECT_EQ(writer.begin("/x", "s").putString(std::string("a\0b", 3)).size(), 0u);
    EXPECT_EQ(writer.begin("x", "").size(), 0u);
}

TEST(OscCodec, BundlesAreReadWholeBeforeAnyMessageIsHandedOn) {
    const std::string one = std::string("/one\0\0\0\0,i\0\0\0\0\0\x01", 16);
    const std::string two = std::string("/two\0\0\0\0,s\0\0ab\0\0", 16);
    auto element = [](const std::string& body) { return std::string("\0\0\0", 3) + char(body.size()) + body; };
    const std::string head = std::string("#bundle\0", 8) + std::string(8, '\0');
    const std::string inner = head + element(two);
    Collect sink;
    ASSERT_EQ(read(bytes(head + element(one) + element(inner)), &sink), osc::ReadError::None);
    EXPECT_EQ(sink.seen, (std::vector<std::string>{"/one:i:1", "/two:s:ab"}));

    // A bad element after a good one: nothing at all is handed on.
    sink.seen.clear();
    std::string bad = two;
    bad[9] = 'x'; // an unknown type tag
    EXPECT_EQ(read(bytes(head + element(one) + element(bad)), &sink), osc::ReadError::UnknownType);
    EXPECT_TRUE(sink.seen.empty());

    // Nested past the limit; an element of size 0, unaligned, or too long.
    std::string deep = element(one);
    for (int i = 0; i <= osc::MAX_BUNDLE_DEPTH; ++i) deep = element(head + deep);
    EXPECT_EQ(read(bytes(deep.substr(4))), osc::ReadError::TooDeep);
    EXPECT_EQ(read(bytes(head + std::string(4, '\0'))), osc::ReadError::BadBundle);
    EXPECT_EQ(read(bytes(head + std::string("\0\0\0\x06", 4) + one)), osc::ReadError::BadBundle);
    EXPECT_EQ(read(bytes(head + std::string("\0\0\0\x14", 4) + one)), osc::ReadError::BadBundle);
    EXPECT_EQ(read(bytes(std::string("#bundlX\0", 8) + std::string(8, '\0'))), osc::ReadError::BadBundle);
}

TEST(OscCodec, EveryCutOrStretchedLengthIsRefused) {
    // Each shorter aligned prefix with its tags is refused (never read past).
    for (size_t cut = 12; cut < MESSAGE.size(); cut += 4)
        EXPECT_NE(read(bytes(MESSAGE.substr(0, cut))), osc::ReadError::None) << cut;
    EXPECT_EQ(read(bytes(MESSAGE.substr(0, 6))), osc::ReadError::NotAligned);
    EXPECT_EQ(read(Bytes{}), osc::ReadError::Empty);
    // Bytes after the last argument, a blob longer than the packet, a
    // string without its end, a missing '/', a missing ','.
    EXPECT_EQ(read(bytes(MESSAGE + std::string(4, '\0'))), osc::ReadError::Truncated);
    std::string longBlob = MESSAGE;
    longBlob[31] = '\x09';
    EXPECT_EQ(read(bytes(longBlob)), osc::ReadError::Truncated);
    longBlob[28] = '\x7f';
    EXPECT_EQ(read(bytes(longBlob)), osc::ReadError::Truncated);
    EXPECT_EQ(read(bytes("/abcdefg")), osc::ReadError::BadAddress);
    EXPECT_EQ(read(bytes(std::string("abc\0", 4))), osc::ReadError::BadAddress);
    EXPECT_EQ(read(bytes(std::string("/ab\0ifs\0", 8))), osc::ReadError::BadTypeTags);
    EXPECT_EQ(read(bytes(std::string("/ab\0,iii", 8))), osc::ReadError::BadTypeTags);
    // More arguments than a message may carry.
    std::string many = std::string("/ab\0,", 5) + std::string(osc::MAX_ARGS + 1, 'N');
    many.resize((many.size() + 4) & ~size_t(3), '\0');
    EXPECT_EQ(read(bytes(many)), osc::ReadError::BadTypeTags);
}

} // namespace
} // namespace velmora
