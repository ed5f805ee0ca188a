// Device-change messages come in bursts (one plug can bring several, a
// storm hundreds), and every scan enumerates the whole interface class on
// the GUI thread. A burst gives one scan, once it has been quiet for a
// moment; a burst that never ends still gets a scan at least once a second,
// and the last change of a burst is never missed: a change after a scan
// started is served by another scan.
#pragma once

#include <cstdint>

namespace velmora {

class ScanCoalescer {
public:
    static constexpr uint32_t QUIET_MS = 100;     // a burst is over after this long without a change
    static constexpr uint32_t MAX_DELAY_MS = 1000; // no change waits longer for its scan

    // A change was reported at `nowMs`; answers in how many ms to look again
    // (the caller arms its timer for that long).
    uint32_t onChange(uint64_t nowMs);
    // The timer ran out at `nowMs`: true when the scan is due now (the
    // changes so far count as served); otherwise `retryMs` says when to look again.
    bool takeDue(uint64_t nowMs, uint32_t& retryMs);

    bool pending() const { return pending_; }

private:
    uint32_t delayFrom(uint64_t nowMs) const;

    bool pending_ = false;
    uint64_t firstMs_ = 0; // the oldest change not yet served
    uint64_t lastMs_ = 0;  // the newest change
};

} // namespace velmora
