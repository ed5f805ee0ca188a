// The sends the unit refused during the run, named as the user is told them
// ("Function error USBDevice::setConfiguration()"), including those the
// panel keeps silent about (latency, clock mode). A caller that wants to
// know what one operation did not get through takes a mark before it and
// reads what came since.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace velmora {

class RefusedSends {
public:
    // The most recent names kept; older ones are only counted.
    static constexpr size_t KEPT = 32;

    void add(const std::string& name) {
        ++count_;
        names_.push_back(name);
        if (names_.size() > KEPT) names_.pop_front();
    }
    // How many sends were refused so far: a mark.
    uint64_t count() const { return count_; }
    // The names refused since `mark` (at most the last KEPT), oldest first.
    std::vector<std::string> since(uint64_t mark) const {
        const uint64_t n = count_ > mark ? count_ - mark : 0;
        const size_t kept = n < names_.size() ? size_t(n) : names_.size();
        return std::vector<std::string>(names_.end() - std::ptrdiff_t(kept), names_.end());
    }

private:
    uint64_t count_ = 0;
    std::deque<std::string> names_;
};

} // namespace velmora
