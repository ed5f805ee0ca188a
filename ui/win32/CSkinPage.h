// What both pages share: a modeless child dialog from a template, sized to its
// background bitmap and painted with it, that the main window drives through
// the page interface (show, hide, device pointer, destroy). The template makes
// it a control parent, so that the Tab key walks into its controls; screen
// readers hear its name.
#pragma once

#include "ui/SettingsObserver.h"
#include "ui/win32/AccessibleClient.h"
#include "ui/win32/Dialog.h"
#include "ui/win32/SkinResources.h"

namespace velmora {

class CSkinPage : public Dialog, public SettingsObserver {
public:
    // Creates the page window as a child of `parent` and places it at (x, y)
    // with the size of the named background bitmap, without repainting.
    // False when the window cannot be created.
    bool createPage(HWND parent, int x, int y, const char* bitmapName);

    // The page and its controls drawn for another scale: the background is
    // the one drawn for it, the page moves to `at` (the parent's client
    // pixels) and every control to its scaled place in the page's layout.
    void setScale(DisplayScale scale, POINT at);
    DisplayScale scale() const { return scale_; }

    // SettingsObserver: the same in every page
    void showPage(bool visible) override;
    void setDevice(USBDevice* device) override;
    void clearDevice() override;
    void destroyPage() override; // the window, then the page object itself

    USBDevice* device() const { return device_; }
    HWND owner() const { return owner_; }

protected:
    // `name`: what screen readers call the page ("Control page").
    CSkinPage(int templateId, const char* name);
    ~CSkinPage() override = default; // pages end through destroyPage

    // The page's accessibility queries; everything else is the dialog
    // manager's. Pages end their own handlers here.
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Copies the background 1:1 at (0, 0); the controls paint themselves.
    void paintBackground();

    // Each page places and scales its own controls.
    virtual void scaleControls(DisplayScale scale) = 0;

private:
    int templateId_;
    HWND owner_ = nullptr;
    USBDevice* device_ = nullptr;
    SkinImage background_; // loaded when first painted
    DisplayScale scale_;
    AccessibleClient accessible_;
};

} // namespace velmora
