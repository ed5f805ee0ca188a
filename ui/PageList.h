// The main window's pages in the order they were added, with the index of the
// page on show. Every broadcast from the main window to the pages goes
// through this list, page by page in list order. The list owns its pages:
// destroying it destroys them.
#pragma once

#include "device/DeviceWire.h"
#include "settings/PanelSettings.h"

#include <cstdint>
#include <vector>

namespace velmora {

class SettingsObserver;
class USBDevice;

class PageList {
public:
    PageList() = default;
    ~PageList();

    PageList(const PageList&) = delete;
    PageList& operator=(const PageList&) = delete;

    void add(SettingsObserver* page);

    // Hides every page and shows the one at `index` in the same pass. An index
    // outside the list hides every page and leaves the current index as it
    // was. Returns the index that was current before the call.
    int32_t select(int32_t index);

    void sendMeters(const MeterBlock& block);
    void sendSettings(const PanelSettings& record); // each page gets its own copy
    void sendDevice(USBDevice* device);

    // destroyPage on every non-null page in list order, then empties the list.
    // The current index is left as it was.
    void destroyAll();

    int32_t currentIndex() const { return current_; }
    size_t size() const { return pages_.size(); }
    SettingsObserver* page(size_t index) const { return index < pages_.size() ? pages_[index] : nullptr; }

private:
    std::vector<SettingsObserver*> pages_;
    int32_t current_ = -1;
};

} // namespace velmora
