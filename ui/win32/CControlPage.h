// The Control page: a modeless child dialog (template 154) holding the MON
// and MIX switches, eight mutes, four links, the four S/PDIF OUT selectors,
// 26 meters, eight faders and their dB labels. Every rule lives in
// ControlPageLogic; this window builds the controls, shows what the logic
// sets and hands it the controls' notifications. It also puts the controls
// in the Tab key's order and tells each what screen readers should hear.
#pragma once

#include "settings/ChannelNames.h"
#include "ui/ControlPageLogic.h"
#include "ui/ControlPageLayout.h"
#include "ui/ControlPageView.h"
#include "ui/MeterOptions.h"
#include "ui/win32/CFader.h"
#include "ui/win32/MeterBank.h"
#include "ui/win32/CRadioButton.h"
#include "ui/win32/CSkinButton.h"
#include "ui/win32/CSkinPage.h"
#include "ui/win32/CSkinText.h"
#include "ui/win32/SkinResources.h"

#include <vector>

namespace velmora {

class SettingsApplier;

// A control of the page that belongs to one channel: a meter, fader or mute.
struct ChannelControl {
    HWND window;
    ChannelKind kind;
    int number; // from 1
};

class CControlPage : public CSkinPage, public MeterOptions, private ControlPageView {
public:
    // `owner` receives applyVolumes / applyMixer (the main window).
    explicit CControlPage(SettingsApplier* owner);

    // SettingsObserver (showing, the device pointer and destroying are the page base's)
    void onMeters(const MeterBlock& block) override;
    void onSettings(PanelSettings record) override;

    // MeterOptions: the peak hold is off until the main window says otherwise.
    void setPeakHold(bool on) override { meters_.setPeakHold(on); }
    void resetClips() override { meters_.clearAllClips(); }

    const ControlPageLogic& logic() const { return logic_; }

    // The user's channel names: a screen reader hears each fader, mute button
    // and meter with its channel's name after its number.
    void setChannelNames(const ChannelNames& names);
    // Every meter, fader and mute button with its channel (for their tooltips).
    std::vector<ChannelControl> channelControls() const;

protected:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void scaleControls(DisplayScale scale) override;

private:
    ~CControlPage() override = default; // pages end through destroyPage

    // ControlPageView
    void setButtonCheck(int controlId, int32_t state) override;
    int32_t buttonCheck(int controlId) const override;
    void setFaderPos(int output, int32_t value) override;
    int32_t faderPos(int output) const override;
    void setLabelText(int output, const char* text) override;
    void checkSelector(int selected) override;
    void setMeterLevel(MeterGroup group, int index, int32_t level) override;

    void buildControls();
    void arrangeKeyboardOrder();
    void describeControls();
    const std::string& outputName(int output) const; // output from 0
    HWND controlById(int controlId) const;
    void createSkinButton(CSkinButton& button, int id, controlpage::Point at, const char* off,
                          const char* on);
    CSkinButton* buttonById(int controlId);
    const CSkinButton* buttonById(int controlId) const;
    INT_PTR controlColour(HDC dc, HWND control);

    CSkinButton monButton_;
    CSkinButton mixButton_;
    CSkinButton muteButtons_[controlpage::OUTPUTS];
    CSkinButton linkButtons_[controlpage::PAIRS];
    SkinBrush selectorBrush_;
    CRadioButton spdifOutButtons_[controlpage::SELECTORS];
    MeterBank meters_; // the 18 input meters, then the 8 output meters
    CFader faders_[controlpage::OUTPUTS];
    CSkinText dbLabels_[controlpage::OUTPUTS];
    ControlPageLogic logic_;
    ChannelNames names_;
};

} // namespace velmora
