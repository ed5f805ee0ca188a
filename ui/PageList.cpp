#include "ui/PageList.h"

#include "ui/SettingsObserver.h"

namespace velmora {

PageList::~PageList() { destroyAll(); }

// A null page is kept in its place (indexes stay those of the adding order)
// but skipped by every broadcast.
void PageList::add(SettingsObserver* page) { pages_.push_back(page); }

int32_t PageList::select(int32_t index) {
    const int32_t previous = current_;
    for (size_t position = 0; position < pages_.size(); ++position) {
        SettingsObserver* page = pages_[position];
        if (!page) continue; // a null entry is never shown nor selected
        page->showPage(false);
        if (index >= 0 && position == size_t(index)) {
            page->showPage(true);
            current_ = index;
        }
    }
    return previous;
}

void PageList::sendMeters(const MeterBlock& block) {
    for (size_t i = 0; i < pages_.size(); ++i) if (pages_[i]) pages_[i]->onMeters(block);
}

void PageList::sendSettings(const PanelSettings& record) {
    // onSettings takes the record by value: every page works on its own copy.
    for (size_t i = 0; i < pages_.size(); ++i) if (pages_[i]) pages_[i]->onSettings(record);
}

void PageList::sendDevice(USBDevice* device) {
    for (size_t i = 0; i < pages_.size(); ++i) if (pages_[i]) pages_[i]->setDevice(device);
}

void PageList::destroyAll() {
    // Take the pages out first: a page's destroyPage may not reach back into
    // a list that still names it.
    std::vector<SettingsObserver*> pages;
    pages.swap(pages_);
    for (SettingsObserver* page : pages) {
        if (page) page->destroyPage();
    }
}

} // namespace velmora
