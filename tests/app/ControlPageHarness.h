// The real Control page logic as a page of the panel, over a window-less view
// that keeps what its controls show.
#pragma once

#include "tests/app/PanelHarness.h"
#include "ui/ControlPageLogic.h"
#include "ui/ControlPageView.h"

#include <algorithm>
#include <map>

namespace velmora {
namespace testing_app {

enum ControlId {
    MON_BUTTON = 12288,
    MIX_BUTTON = 12289,
    MUTE_BUTTON = 12304, // + output
    LINK_BUTTON = 12320, // + pair
    SPDIF_SELECTOR = 12336, // + selector
    FADER = 12384,       // + output
};

class ControlControls : public ControlPageView {
public:
    void setButtonCheck(int id, int32_t state) override { buttons[id] = state; }
    int32_t buttonCheck(int id) const override {
        auto it = buttons.find(id);
        return it == buttons.end() ? 0 : it->second;
    }
    void setFaderPos(int output, int32_t value) override { fader[output] = std::min(127, std::max(0, value)); }
    int32_t faderPos(int output) const override { return fader[output]; }
    void setLabelText(int output, const char* text) override { label[output] = text; }
    void checkSelector(int selected) override { selector = selected; }
    void setMeterLevel(MeterGroup group, int index, int32_t level) override {
        ++meterSets;
        (group == MeterGroup::Input ? inputLevel[index] : outputLevel[index]) = level;
    }

    std::map<int, int32_t> buttons;
    int32_t fader[8] = {127, 127, 127, 127, 127, 127, 127, 127};
    std::string label[8];
    int selector = 0;
    int32_t inputLevel[18] = {};
    int32_t outputLevel[8] = {};
    long meterSets = 0;
};

// The Control page as the page list sees it.
class ControlPage : public SettingsObserver {
public:
    ControlPage(PageTrace& trace, SettingsApplier& owner) : trace_(trace), logic(controls, &owner) {}

    void onMeters(const MeterBlock& block) override { logic.onMeters(block); }
    void onSettings(PanelSettings record) override {
        ++settingsCalls;
        if (onSettingsHook) onSettingsHook(record);
        logic.onSettings(record);
    }
    void showPage(bool visible) override { shown = visible; }
    void setDevice(USBDevice* d) override { device = d; }
    void clearDevice() override { device = nullptr; }
    void destroyPage() override {
        ++trace_.destroyed;
        delete this;
    }

    // The user's hand on the controls.
    void click(int id) { logic.onCommand(id); }
    void moveFader(int output, int32_t pos) {
        controls.setFaderPos(output, pos);
        logic.onFaderScroll(FADER + output);
    }

    PageTrace& trace_;
    ControlControls controls;
    ControlPageLogic logic;
    int settingsCalls = 0;
    bool shown = true;
    USBDevice* device = nullptr;
    std::function<void(const PanelSettings&)> onSettingsHook;
};

// The panel with the real Control page at index 0 and a recording Info page.
class PanelWithControlPage {
public:
    PanelWithControlPage() {
        page = new ControlPage(pages, core);
        info = new RecordingPage(pages, "info");
        core.pageList().add(page);
        core.pageList().add(info);
        core.pageList().select(0);
    }
    PanelSettings stored() const {
        PanelSettings r;
        std::memset(&r, 0, sizeof r);
        if (store.value().size() == sizeof r) std::memcpy(&r, store.value().data(), sizeof r);
        return r;
    }

    PageTrace pages;
    RecordingView view;
    MemorySettingsStore store;
    PanelCore core{view, store};
    ControlPage* page = nullptr;
    RecordingPage* info = nullptr;
};

} // namespace testing_app
} // namespace velmora
