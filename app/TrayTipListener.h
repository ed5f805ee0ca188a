// The tip of the notification-area icon, kept up to date as a listener of
// the panel: the unit that arrived or left, the rate of the record as it is
// published. The icon is only touched when the tip's text changed.
#pragma once

#include "app/PanelEvents.h"
#include "ui/UnitLabel.h"

namespace velmora {

class PanelView;

class TrayTipListener : public PanelEvents {
public:
    explicit TrayTipListener(PanelView& view) : view_(view) {}

    void unitArrived(const USBDevice& unit, const PanelSettings& record) override;
    void unitNotOpened(const USBDevice&) override {}
    void unitRemoved(const USBDevice& unit) override;
    void sendFailed(const USBDevice&, const char*) override {}
    void recordSaved(bool, const std::string&) override {}
    void settingsPublished(const PanelSettings& record) override;
    // Another session has the console: the tip says the unit is in use there.
    void setAway(bool away);

private:
    void show();

    PanelView& view_;
    TrayTipState tip_;
    std::string shown_ = tip_.text();
    bool unitHeld_ = false; // the rate is shown only beside a unit
    bool away_ = false;
};

} // namespace velmora
