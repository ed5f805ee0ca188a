#include "device/ScanCoalescer.h"

namespace velmora {

uint32_t ScanCoalescer::delayFrom(uint64_t nowMs) const {
    uint64_t due = lastMs_ + QUIET_MS;
    if (firstMs_ + MAX_DELAY_MS < due) due = firstMs_ + MAX_DELAY_MS;
    return due > nowMs ? uint32_t(due - nowMs) : 0;
}

uint32_t ScanCoalescer::onChange(uint64_t nowMs) {
    if (!pending_) {
        pending_ = true;
        firstMs_ = nowMs;
    }
    lastMs_ = nowMs;
    const uint32_t delay = delayFrom(nowMs);
    return delay > 0 ? delay : 1;
}

bool ScanCoalescer::takeDue(uint64_t nowMs, uint32_t& retryMs) {
    retryMs = 0;
    if (!pending_) return false;
    const uint32_t delay = delayFrom(nowMs);
    if (delay > 0) {
        retryMs = delay;
        return false;
    }
    pending_ = false;
    return true;
}

} // namespace velmora
