// Bursts of device-change messages and the scans they get.
#include "device/ScanCoalescer.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// Feeds changes at the given times and runs the timer as a window would:
// answers the times at which a scan ran.
std::vector<uint64_t> scansFor(const std::vector<uint64_t>& changes, uint64_t until) {
    ScanCoalescer c;
    std::vector<uint64_t> scans;
    uint64_t timerAt = 0;
    bool armed = false;
    size_t next = 0;
    for (uint64_t now = 0; now <= until; ++now) {
        while (next < changes.size() && changes[next] == now) {
            timerAt = now + c.onChange(now);
            armed = true;
            ++next;
        }
        if (armed && now >= timerAt) {
            uint32_t retry = 0;
            if (c.takeDue(now, retry)) {
                scans.push_back(now);
                armed = false;
            } else {
                armed = retry > 0;
                timerAt = now + retry;
            }
        }
    }
    EXPECT_FALSE(c.pending());
    return scans;
}

TEST(ScanCoalescer, ABurstGetsOneScanOnceItIsOverAndAStormStillGetsOneASecond) {
    // One change: one scan, after the quiet time.
    EXPECT_EQ(scansFor({0}, 5000), (std::vector<uint64_t>{100}));

    // A hundred changes within 99 ms: one scan, 100 ms after the last.
    std::vector<uint64_t> burst;
    for (uint64_t t = 0; t < 100; ++t) burst.push_back(t);
    EXPECT_EQ(scansFor(burst, 5000), (std::vector<uint64_t>{199}));

    // A change every 50 ms for 3.5 s that never goes quiet: every change,
    // the last among them, is served by a scan within about a second.
    std::vector<uint64_t> storm;
    for (uint64_t t = 0; t <= 3500; t += 50) storm.push_back(t);
    const std::vector<uint64_t> scans = scansFor(storm, 10000);
    EXPECT_EQ(scans.size(), 4u);
    for (uint64_t change : storm) {
        bool served = false;
        for (uint64_t scan : scans) served = served || (scan >= change && scan <= change + 1001);
        EXPECT_TRUE(served) << "change at " << change;
    }
}

} // namespace
} // namespace velmora
