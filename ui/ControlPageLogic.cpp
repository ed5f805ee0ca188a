#include "ui/ControlPageLogic.h"

#include "ui/ControlPageLayout.h"
#include "ui/MeterMath.h"

#include <cstdio>

namespace velmora {

using namespace controlpage;

std::string volumeLabel(int32_t volume) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fdB", (double(volume) - 127.0) * 0.5);
    return text;
}

namespace {

// A fader shows at most its upper bound; its label reads what the knob shows.
int32_t faderValue(int32_t v) {
    return v < FADER_LOWER ? FADER_LOWER : v > FADER_UPPER ? FADER_UPPER : v;
}

} // namespace

ControlPageLogic::ControlPageLogic(ControlPageView& view, SettingsApplier* owner)
    : view_(view), owner_(owner) {
    makeBlank(settings_);
}

void ControlPageLogic::toggle(int controlId, uint8_t& field, bool inverted) {
    const int32_t state = view_.buttonCheck(controlId) == 0 ? 1 : 0;
    view_.setButtonCheck(controlId, state);
    field = uint8_t(inverted ? (state == 1 ? 0 : 1) : state);
}

bool ControlPageLogic::onCommand(int controlId) {
    const int family = controlId & FAMILY_MASK;
    const int member = controlId & MEMBER_MASK;
    if (controlId == ID_MON) {
        toggle(controlId, settings_.cpldDigitalMon, false);
        forwardMixer();
    } else if (controlId == ID_MIX) {
        toggle(controlId, settings_.cpldMixOutSel, true);
        forwardMixer();
    } else if (family == ID_MUTE_FIRST && member < OUTPUTS) {
        toggle(controlId, settings_.outMute[member], false);
        forwardVolumesAndMixer();
    } else if (family == ID_LINK_FIRST && member < PAIRS) {
        toggle(controlId, settings_.outLink[member], false);
        forwardMixer();
    } else if (family == ID_SELECTOR_FIRST && member < SELECTORS) {
        view_.checkSelector(member);
        settings_.digitalOutSelector = uint8_t(member);
        forwardMixer();
    } else {
        return false;
    }
    return true;
}

bool ControlPageLogic::onFaderScroll(int controlId) {
    if ((controlId & FAMILY_MASK) != ID_FADER_FIRST || (controlId & MEMBER_MASK) >= OUTPUTS) return false;
    const int i = controlId & MEMBER_MASK;
    const int32_t v = faderValue(view_.faderPos(i));
    const std::string label = volumeLabel(v);
    view_.setLabelText(i, label.c_str());
    settings_.outVolume[i] = uint8_t(v);
    if (settings_.outLink[i / 2] == 1) {
        const int j = i ^ 1;
        view_.setFaderPos(j, v);
        view_.setLabelText(j, label.c_str());
        settings_.outVolume[j] = uint8_t(v);
    }
    forwardVolumesAndMixer();
    return true;
}

// applyMixer publishes the accepted record back to this page before it
// returns, replacing settings_: each call gets its own copy and nothing is
// read from settings_ after forwarding.
void ControlPageLogic::forwardVolumesAndMixer() {
    if (!settingsReceived_ || owner_ == nullptr) return;
    SettingsApplier* owner = owner_;
    const PanelSettings candidate = settings_;
    owner->applyVolumes(candidate);
    owner->applyMixer(candidate);
}

void ControlPageLogic::forwardMixer() {
    if (!settingsReceived_ || owner_ == nullptr) return;
    owner_->applyMixer(settings_);
}

void ControlPageLogic::onSettings(const PanelSettings& record) {
    settingsReceived_ = true;
    settings_ = record;
    view_.setButtonCheck(ID_MON, settings_.cpldDigitalMon);
    view_.setButtonCheck(ID_MIX, settings_.cpldMixOutSel == 0 ? 1 : 0);
    view_.checkSelector(settings_.digitalOutSelector % SELECTORS);
    for (int i = 0; i < OUTPUTS; ++i) {
        view_.setButtonCheck(muteId(i), settings_.outMute[i]);
        view_.setButtonCheck(linkId(i % PAIRS), settings_.outLink[i % PAIRS]);
        view_.setFaderPos(i, settings_.outVolume[i]);
        view_.setLabelText(i, volumeLabel(faderValue(settings_.outVolume[i])).c_str());
    }
}

void ControlPageLogic::onMeters(const MeterBlock& block) {
    for (int i = 0; i < INPUT_METERS; ++i)
        view_.setMeterLevel(MeterGroup::Input, i, meterLevel(block.level[METER_FIRST_INPUT + i]));
    for (int j = 0; j < OUTPUT_METERS; ++j)
        view_.setMeterLevel(MeterGroup::Output, j, meterLevel(block.level[METER_FIRST_OUTPUT + j]));
}

} // namespace velmora
