// The Info page: a modeless child dialog (template 156) with a background
// bitmap and three text lines (maker, product, firmware version).
#pragma once

#include "ui/InfoPageLogic.h"
#include "ui/SettingsObserver.h"
#include "ui/win32/CSkinText.h"
#include "ui/win32/CSkinPage.h"

namespace velmora {

class CInfoPage : public CSkinPage, private InfoPageView {
public:
    CInfoPage();

    // SettingsObserver (showing, the device pointer and destroying are the page base's)
    void onMeters(const MeterBlock& block) override;
    void onSettings(PanelSettings record) override;

protected:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    ~CInfoPage() override = default; // pages end through destroyPage

    // InfoPageView
    void setFirmwareText(const char* text) override;

    void buildLines();

    CSkinText makerLine_;
    CSkinText productLine_;
    CSkinText firmwareLine_;
    InfoPageLogic logic_;
};

} // namespace velmora
