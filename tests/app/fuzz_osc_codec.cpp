// Arbitrary datagrams as the remote-control socket receives them: reading
// never reads outside the packet, a packet that reads is handed on whole,
// and each message handed on, written out again, reads back the same.
#include "app/OscCodec.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace velmora;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

struct Check : osc::MessageSink {
    size_t messages = 0;
    void message(const osc::Message& m) override {
        ++messages;
        require(!m.address.empty() && m.address[0] == '/' && m.argCount <= osc::MAX_ARGS);
        // The numeric and string arguments written again read back equal.
        char tags[osc::MAX_ARGS + 1] = {};
        size_t n = 0;
        for (size_t i = 0; i < m.argCount; ++i)
            if (std::strchr("ifs", m.args[i].type) && m.args[i].s.find('\0') == std::string_view::npos)
                tags[n++] = m.args[i].type;
        static uint8_t buffer[70000];
        osc::Writer writer(buffer, sizeof buffer);
        if (m.address.find('\0') != std::string_view::npos) return;
        writer.begin(m.address, std::string_view(tags, n));
        for (size_t i = 0; i < m.argCount; ++i) {
            const osc::Arg& a = m.args[i];
            if (a.type == 'i') writer.putInt(a.i);
            else if (a.type == 'f') writer.putFloat(a.f);
            else if (a.type == 's' && a.s.find('\0') == std::string_view::npos) writer.putString(a.s);
        }
        require(writer.size() > 0);
        struct Again : osc::MessageSink {
            const osc::Message* first;
            void message(const osc::Message& back) override {
                require(back.address == first->address);
                size_t j = 0;
                for (size_t i = 0; i < first->argCount; ++i) {
                    const osc::Arg& a = first->args[i];
                    if (a.type == 'i') require(back.args[j++].i == a.i);
                    else if (a.type == 'f') require(std::memcmp(&back.args[j++].f, &a.f, 4) == 0);
                    else if (a.type == 's') require(back.args[j++].s == a.s);
                }
            }
        } again;
        again.first = &m;
        require(osc::readPacket(buffer, writer.size(), &again) == osc::ReadError::None);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    // A copy of exactly `size` bytes, so that the sanitizer sees any read past it.
    uint8_t* packet = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(packet, data, size);
    Check check;
    const osc::ReadError error = osc::readPacket(packet, size, &check);
    require(error == osc::ReadError::None || check.messages == 0);
    require(osc::describe(error)[0] != 0);
    std::free(packet);
    return 0;
}
