// The Info page: a modeless child dialog (template 156) with a background
// bitmap and three text lines (maker, product, firmware version).
#pragma once

#include "ui/InfoPageLogic.h"
#include "ui/SettingsObserver.h"
#include "ui/win32/CSkinText.h"
#include "ui/win32/Dialog.h"
#include "ui/win32/Gdi.h"

namespace velmora {

class CInfoPage : public Dialog, public SettingsObserver, private InfoPageView {
public:
    CInfoPage();

    // Creates the page window as a child of `parent` and places it at (x, y)
    // with the size of the named background bitmap. False when the window
    // cannot be created.
    bool createPage(HWND parent, int x, int y, const char* bitmapName);

    // SettingsObserver
    void onMeters(const MeterBlock& block) override;
    void onSettings(PanelSettings record) override;
    void showPage(bool visible) override;
    void setDevice(USBDevice* device) override;
    void clearDevice() override;
    void destroyPage() override;

    USBDevice* device() const { return device_; }

protected:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    ~CInfoPage() override = default; // pages end through destroyPage

    // InfoPageView
    void setFirmwareText(const char* text) override;

    void buildLines();
    void paint();

    HWND owner_ = nullptr;
    USBDevice* device_ = nullptr;
    Bitmap background_;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
    CSkinText makerLine_;
    CSkinText productLine_;
    CSkinText firmwareLine_;
    InfoPageLogic logic_;
};

} // namespace velmora
