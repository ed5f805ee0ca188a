// Borderless single-line text window with its own colours, one of the
// panel's fonts (12-pixel Arial unless told otherwise) and an alignment mode
// (0 left, 6 centred, any other value right).
#pragma once

#include "ui/SkinFonts.h"
#include "ui/win32/AccessibleClient.h"
#include "ui/win32/SkinResources.h"
#include "ui/win32/Window.h"

#include <string>

namespace velmora {

class CSkinText : public Window {
public:
    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignCentre = 6;
    static constexpr int kAlignRight = 2; // any other non-zero value right-aligns too

    // Stores text and colours and creates the child window at (x, y) in the
    // parent's client coordinates. `id` may be -1 (no id).
    bool create(HWND parent, int x, int y, int width, int height, int id, COLORREF textColour,
                COLORREF backColour, const char* text, SkinFont font = SkinFont::Text);

    // The font made for another scale; redraws. The owner places the window.
    void setScale(DisplayScale scale);

    // Each repaints only when the window would look different.
    void setText(const char* text);
    void setAlign(int mode);
    // A window that shows data (a serial, a name, a reading) draws its text
    // as it is, an ampersand included, and ends it with an ellipsis where it
    // does not fit. A fixed label (the default) keeps prefix processing (an
    // ampersand underlines the next letter) and is clipped at its edges.
    void setShowsData(bool showsData);

    const std::string& text() const { return text_; }
    int align() const { return align_; }

    AccessibleClient& accessible() { return accessible_; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void paint();

    std::string text_;
    int align_ = kAlignLeft;
    bool showsData_ = false;
    SkinFont fontKind_ = SkinFont::Text;
    HFONT font_ = nullptr; // shared (SkinFontCache); answered to WM_GETFONT
    COLORREF textColour_ = 0;
    COLORREF backColour_ = 0;
    SkinBrush background_; // one brush per colour, shared by every text window
    AccessibleClient accessible_;
};

} // namespace velmora
