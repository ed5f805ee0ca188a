// The Info page: a modeless child dialog (template 156) with a background
// bitmap and four text lines (maker, product, firmware version, serial).
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
    // Keeps the pointer as every page does, and shows the unit's serial,
    // read here once: the stored pointer is never used again.
    void setDevice(USBDevice* device) override;

protected:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void scaleControls(DisplayScale scale) override;

private:
    ~CInfoPage() override = default; // pages end through destroyPage

    // InfoPageView
    void setFirmwareText(const char* text) override;
    void setSerialText(const char* text) override;

    void buildLines();

    CSkinText makerLine_;
    CSkinText productLine_;
    CSkinText firmwareLine_;
    CSkinText serialLine_;
    InfoPageLogic logic_;
};

} // namespace velmora
