// Vertical bitmap slider. Keeps a value within two bounds, moves it with the
// mouse, the wheel and the keys (arrows one step, Page Up and Page Down a
// page, Home and End the bounds), draws itself double-buffered and posts
// WM_VSCROLL (code 4, itself as the control) to its parent after every user
// action; the parent reads the value back with getPos.
#pragma once

#include "ui/FaderMath.h"
#include "ui/win32/AccessibleClient.h"
#include "ui/win32/SkinResources.h"
#include "ui/win32/Window.h"

namespace velmora {

class CFader : public Window {
public:
    // False (and no window) without a background image name.
    bool create(HWND parent, int x, int y, int lower, int upper, int id, const char* backName,
                const char* knobOffName, const char* knobOnName);

    // The images drawn for another scale: the window takes their size (its
    // place is the owner's), the value stays and the knob follows it.
    void setScale(DisplayScale scale);

    int getPos() const { return model_.value(); }
    // Stores the value limited to the bounds and repaints when the knob
    // moves; notifies nobody.
    void setPos(int value);

    bool hasFocusFlag() const { return model_.focused(); }

    AccessibleClient& accessible() { return accessible_; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void perform(const FaderAction& action, int valueBefore, int knobBefore, bool focusBefore);
    void notifyParent() const;
    // Repaints when the knob's place or look differs from what was drawn.
    void repaintIfChanged(int knobTopBefore, bool focusBefore) const;
    void paint();

    HWND parent_ = nullptr;
    SkinImage back_; // the images are shared by every fader
    SkinImage knobOff_;
    SkinImage knobOn_;
    int backWidth_ = 0;
    int backHeight_ = 0;
    FaderModel model_; // value, bounds, focus flag and the input rules
    AccessibleClient accessible_;
};

} // namespace velmora
