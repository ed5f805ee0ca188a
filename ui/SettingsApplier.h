// What a page may ask of the main window: apply its modified copy of the
// settings. applyMixer publishes the accepted record back to every page
// (so the calling page's onSettings runs before the call returns).
#pragma once

#include "settings/PanelSettings.h"

namespace velmora {

class SettingsApplier {
public:
    virtual void applyVolumes(PanelSettings candidate) = 0;
    virtual void applyMixer(PanelSettings candidate) = 0;

protected:
    virtual ~SettingsApplier() = default;
};

} // namespace velmora
