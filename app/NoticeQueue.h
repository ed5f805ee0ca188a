// The notices the panel tells the user from its window's own loop, outside
// whatever operation found them (a failed save, a repaired stored record).
// Each is shown in the order it came, one per callback of
// PanelView::scheduleNotice; a text already told in this run is not told
// again (a store that cannot be written is repaired anew at every arrival).
#pragma once

#include <deque>
#include <set>
#include <string>

namespace velmora {

class NoticeQueue {
public:
    // Queues the text; true when it is new to this run and the caller asks
    // for one callback.
    bool add(const std::string& text);
    // The next text to show; false when none is waiting.
    bool take(std::string& text);

private:
    std::deque<std::string> pending_;
    std::set<std::string> told_;
};

} // namespace velmora
