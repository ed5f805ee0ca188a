#include "settings/MemorySettingsStore.h"

#include <cstring>

namespace velmora {

bool MemorySettingsStore::querySize(uint32_t& size) {
    if (!present_ || failReads_) return false;
    size = static_cast<uint32_t>(value_.size());
    return true;
}

bool MemorySettingsStore::readBytes(uint8_t* buffer, uint32_t capacity, uint32_t& size) {
    if (!present_ || failReads_) return false;
    size = static_cast<uint32_t>(value_.size());
    if (value_.size() > capacity) return false;
    if (!value_.empty()) std::memcpy(buffer, value_.data(), value_.size());
    return true;
}

bool MemorySettingsStore::writeBytes(const uint8_t* bytes, uint32_t size) {
    ++writes_;
    if (failWrites_) return false;
    value_.assign(bytes, bytes + size);
    present_ = true;
    return true;
}

} // namespace velmora
