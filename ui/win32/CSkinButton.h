// Owner-drawn push button showing an "up" or a "down" bitmap by its check
// state. The owner sets the state; the button only reports clicks (BN_CLICKED
// with its id, also for the Space key while it has the focus) and draws. A
// focus that came from the keyboard shows as a dotted rectangle over the
// image; a mouse press shows nothing of its own. Exposure and state changes
// paint through the parent's DC; the platform's own redraws on a press or a
// focus change come as owner-draw requests.
#pragma once

#include "ui/win32/AccessibleClient.h"
#include "ui/win32/SkinResources.h"
#include "ui/win32/Window.h"

namespace velmora {

class CSkinButton : public Window {
public:
    // Child + visible + owner-drawn, as the owners create it.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW; // 0x5000000B

    // Creates the button window (a BUTTON) at `rect` in the parent's client
    // coordinates with the given id. The text is never drawn.
    bool create(const char* text, DWORD style, const RECT& rect, HWND parent, int id);

    // Releases the images held, then loads the up image and, when a name is
    // given, the down image from the program's bitmap resources. False when
    // the up image is missing (nothing else is loaded then) or a named down
    // image is missing.
    bool loadImages(const char* upName, const char* downName = nullptr);

    // Resizes the window to the up image, keeping position and z-order.
    void sizeToImage();

    // The same images drawn for another scale; redraws. The owner places
    // and sizes the window.
    void setScale(DisplayScale scale);

    // Redraws only when the image shown changes.
    void setCheckState(int state);
    int getCheckState() const { return checkState_; }

    AccessibleClient& accessible() { return accessible_; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Draws the image for the check state into `item` of `dc`, and the focus
    // rectangle when `focusRect`.
    void draw(HDC dc, const RECT& item, bool focusRect) const;
    void paint();

    SkinImage up_; // shared with every button showing the same image
    SkinImage down_;
    int checkState_ = 0;
    bool focusFromPointer_ = false; // the focus came with a mouse press
    AccessibleClient accessible_;
};

} // namespace velmora
