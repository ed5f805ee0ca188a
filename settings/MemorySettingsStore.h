// A settings store held in memory: for tests, fuzzing and platforms without
// a per-user registry.
#pragma once

#include "settings/PreferenceStore.h"
#include "settings/SettingsStore.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace velmora {

class MemorySettingsStore : public SettingsStore, public PreferenceStore {
public:
    MemorySettingsStore() = default;
    explicit MemorySettingsStore(std::vector<uint8_t> value) : value_(std::move(value)), present_(true) {}

    bool querySize(uint32_t& size) override;
    bool readBytes(uint8_t* buffer, uint32_t capacity, uint32_t& size) override;
    bool writeBytes(const uint8_t* bytes, uint32_t size) override;

    void setValue(std::vector<uint8_t> value) { value_ = std::move(value); present_ = true; }
    void erase() { value_.clear(); present_ = false; }
    bool hasValue() const { return present_; }
    const std::vector<uint8_t>& value() const { return value_; }

    // Makes every read (or write) fail, as an unreadable registry value would.
    void failReads(bool fail) { failReads_ = fail; }
    void failWrites(bool fail) { failWrites_ = fail; }

    int writeCount() const { return writes_; }

    bool readFlag(const char* name, bool& value) override {
        auto it = flags_.find(name);
        if (it == flags_.end()) return false;
        value = it->second;
        return true;
    }
    bool readText(const char* name, std::string& value) override {
        auto it = texts_.find(name);
        if (failReads_ || it == texts_.end()) return false;
        value = it->second;
        return true;
    }
    bool writeText(const char* name, const std::string& value) override {
        if (failWrites_ || value.size() > PREFERENCE_TEXT_MAX_BYTES) return false;
        texts_[name] = value;
        return true;
    }
    bool erase(const char* name) override {
        if (failWrites_) return false;
        texts_.erase(name);
        flags_.erase(name);
        return true;
    }
    bool writeFlag(const char* name, bool value) override {
        flags_[name] = value;
        return true;
    }

private:
    std::vector<uint8_t> value_;
    bool present_ = false;
    bool failReads_ = false;
    bool failWrites_ = false;
    int writes_ = 0;
    std::map<std::string, bool> flags_;
    std::map<std::string, std::string> texts_;
};

} // namespace velmora
