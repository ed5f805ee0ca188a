// Keyboard rules of the panel that do not depend on the platform: which
// member of a radio group the Tab key lands on, and which page Ctrl+Tab
// selects.
#pragma once

namespace velmora {

// A radio group is one stop of the Tab key: its checked member, or its first
// member while none is checked. Landing on an unchecked radio button would
// choose it, so the stop follows the check mark.
constexpr int radioTabStop(const bool* checked, int count) {
    for (int i = 0; i < count; ++i)
        if (checked[i]) return i;
    return 0;
}

// The page after (Ctrl+Tab) or before (Ctrl+Shift+Tab) the current one,
// round the list; the first page when none is current.
constexpr int nextPageIndex(int current, int count, bool backwards) {
    if (count <= 0) return -1;
    if (current < 0 || current >= count) return 0;
    return backwards ? (current + count - 1) % count : (current + 1) % count;
}

} // namespace velmora
