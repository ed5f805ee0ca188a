#include "app/NoticeQueue.h"

namespace velmora {

bool NoticeQueue::add(const std::string& text) {
    if (text.empty() || !told_.insert(text).second) return false;
    pending_.push_back(text);
    return true;
}

bool NoticeQueue::take(std::string& text) {
    if (pending_.empty()) return false;
    text = pending_.front();
    pending_.pop_front();
    return true;
}

} // namespace velmora
