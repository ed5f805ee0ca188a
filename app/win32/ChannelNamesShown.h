// The channel names where the Control page shows them: the tooltip over each
// meter, fader and mute button ("Output 3, Headphones") and the names screen
// readers hear. A listener of the panel, so that a rename from anywhere (the
// Names dialog, a settings file, a snapshot, a request) reaches them at once.
#pragma once

#include "app/PanelEvents.h"
#include "app/win32/Tooltips.h"

#include <windows.h>

namespace velmora {

class CControlPage;

class ChannelNamesShown : public PanelEvents {
public:
    // The page's channel controls get their tooltips (owned by `owner`, the
    // main window) with `names`.
    void attach(CControlPage* page, HWND owner, const ChannelNames& names);

    void namesChanged(const ChannelNames& names) override;
    void unitArrived(const USBDevice&, const PanelSettings&) override {}
    void unitNotOpened(const USBDevice&) override {}
    void unitRemoved(const USBDevice&) override {}
    void sendFailed(const USBDevice&, const char*) override {}
    void recordSaved(bool, const std::string&) override {}

private:
    CControlPage* page_ = nullptr;
    Tooltips tips_;
};

} // namespace velmora
