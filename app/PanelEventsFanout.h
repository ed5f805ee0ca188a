// Hands each event of the main window's logic to several listeners, in the
// order they were added.
#pragma once

#include "app/PanelEvents.h"

#include <vector>

namespace velmora {

class PanelEventsFanout : public PanelEvents {
public:
    void add(PanelEvents* listener) {
        if (listener) listeners_.push_back(listener);
    }

    void unitArrived(const USBDevice& unit, const PanelSettings& record) override {
        for (PanelEvents* l : listeners_) l->unitArrived(unit, record);
    }
    void unitNotOpened(const USBDevice& unit) override {
        for (PanelEvents* l : listeners_) l->unitNotOpened(unit);
    }
    void unitRemoved(const USBDevice& unit) override {
        for (PanelEvents* l : listeners_) l->unitRemoved(unit);
    }
    void sendFailed(const USBDevice& unit, const char* message) override {
        for (PanelEvents* l : listeners_) l->sendFailed(unit, message);
    }
    void recordSaved(bool written, const std::string& location) override {
        for (PanelEvents* l : listeners_) l->recordSaved(written, location);
    }
    void settingsPublished(const PanelSettings& record) override {
        for (PanelEvents* l : listeners_) l->settingsPublished(record);
    }
    void unitFollowed(int32_t sampleRate, int32_t latency) override {
        for (PanelEvents* l : listeners_) l->unitFollowed(sampleRate, latency);
    }
    void namesChanged(const ChannelNames& names) override {
        for (PanelEvents* l : listeners_) l->namesChanged(names);
    }
    void recordRepaired(const RecordRepair& repair) override {
        for (PanelEvents* l : listeners_) l->recordRepaired(repair);
    }
    void recordReapplied(const USBDevice& unit, const PanelSettings& record) override {
        for (PanelEvents* l : listeners_) l->recordReapplied(unit, record);
    }

private:
    std::vector<PanelEvents*> listeners_;
};

} // namespace velmora
