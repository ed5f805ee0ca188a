// A transport double whose answers a test scripts exchange by exchange, and
// which records what the device layer sent. Its state is shared so the test
// keeps seeing it after a USBDevice has taken the transport over.
#pragma once

#include "device/DeviceTransport.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace test {

struct RecordedExchange {
    uint32_t code;
    std::vector<uint8_t> in;
    uint32_t outSize;
};

struct TransportScript {
    // Answers one exchange: may write `out` (outSize bytes, holding the input
    // when in and out are one buffer), sets `returned`, answers success.
    using Answer = std::function<bool(uint32_t code, uint8_t* out, uint32_t outSize, uint32_t& returned)>;

    Answer answer; // none: success, every output byte returned, nothing written
    bool refuseOpen = false;
    bool isOpen = false;
    std::vector<std::string> opened;
    std::vector<RecordedExchange> log;
    int closes = 0;
    bool destroyed = false;

    size_t count(uint32_t code) const {
        size_t n = 0;
        for (const RecordedExchange& e : log) n += e.code == code;
        return n;
    }
    std::vector<int32_t> commands() const {
        std::vector<int32_t> list;
        for (const RecordedExchange& e : log)
            if (e.code == 0x2200D0 && e.in.size() >= 4) {
                int32_t c;
                std::memcpy(&c, e.in.data(), 4);
                list.push_back(c);
            }
        return list;
    }
};

class ScriptedTransport : public DeviceTransport {
public:
    explicit ScriptedTransport(std::shared_ptr<TransportScript> script) : s_(std::move(script)) {}
    ~ScriptedTransport() override { s_->destroyed = true; }

    bool open(const char* path) override {
        s_->opened.push_back(path);
        if (s_->refuseOpen) return false;
        s_->isOpen = true;
        return true;
    }
    bool isOpen() const override { return s_->isOpen; }
    bool exchange(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                  uint32_t* bytesReturned) override {
        RecordedExchange e{code, {}, outSize};
        if (in && inSize) e.in.assign(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + inSize);
        s_->log.push_back(e);
        if (!s_->isOpen) return false;
        uint32_t returned = outSize;
        bool ok = true;
        if (s_->answer) ok = s_->answer(code, static_cast<uint8_t*>(out), outSize, returned);
        if (ok && bytesReturned) *bytesReturned = returned;
        return ok;
    }
    void close() override {
        if (s_->isOpen) ++s_->closes;
        s_->isOpen = false;
    }

private:
    std::shared_ptr<TransportScript> s_;
};

} // namespace test
} // namespace velmora
