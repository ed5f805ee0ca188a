// The Control page's rules, apart from any window: which control stands for
// which settings field, toggles, linked pairs, dB labels, meters, and when a
// change is handed to the main window.
#pragma once

#include "device/DeviceWire.h"
#include "settings/PanelSettings.h"
#include "ui/ControlPageView.h"
#include "ui/SettingsApplier.h"

#include <string>

namespace velmora {

// "%.1fdB" of (volume - 127) x 0.5: 127 reads "0.0dB", 0 reads "-63.5dB".
std::string volumeLabel(int32_t volume);

class ControlPageLogic {
public:
    explicit ControlPageLogic(ControlPageView& view, SettingsApplier* owner = nullptr);

    void setOwner(SettingsApplier* owner) { owner_ = owner; }

    // A click on a skinned button or an S/PDIF selector. False when the id
    // is none of the page's buttons or selectors.
    bool onCommand(int controlId);
    // A fader's scroll notification. False when the id is not a fader's.
    bool onFaderScroll(int controlId);
    // A record published by the main window: copies it and shows it.
    void onSettings(const PanelSettings& record);
    // One meter block: sets the 18 input and 8 output meters.
    void onMeters(const MeterBlock& block);

    const PanelSettings& settings() const { return settings_; }
    bool settingsReceived() const { return settingsReceived_; }

private:
    void toggle(int controlId, uint8_t& field, bool inverted);
    void forwardVolumesAndMixer();
    void forwardMixer();

    ControlPageView& view_;
    SettingsApplier* owner_;
    PanelSettings settings_;
    bool settingsReceived_ = false;
};

} // namespace velmora
