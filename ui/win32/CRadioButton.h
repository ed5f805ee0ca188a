// A plain (not automatic) radio button of the platform: only its owner sets
// its check mark; a click reports BN_CLICKED with its id. The window is the
// platform's BUTTON, bound to this object so that it can answer the
// accessibility queries with its owner's description.
#pragma once

#include "ui/win32/AccessibleClient.h"
#include "ui/win32/Window.h"

namespace velmora {

class CRadioButton : public Window {
public:
    // Child + visible + radio button; `extraStyle` adds WS_GROUP or WS_TABSTOP.
    bool create(const char* text, int id, const RECT& rect, HWND parent, HFONT font, DWORD extraStyle = 0);

    void setChecked(bool checked);
    bool checked() const;

    AccessibleClient& accessible() { return accessible_; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    AccessibleClient accessible_;
};

// One stop of the Tab key per group: the checked member, or the first while
// none is checked (landing on an unchecked radio button would choose it).
void placeGroupTabStop(CRadioButton* members, int count);

} // namespace velmora
