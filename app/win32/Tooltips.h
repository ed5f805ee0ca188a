// One tooltip window of the common controls that shows a text over each of
// several controls of the panel. The window lives as long as the object (or
// until its owner goes, which takes it along); its texts are the user's
// UTF-8, handed to the control as wide text, shown with no mnemonic
// prefixes ("Bass & Drums" keeps its "&").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmora {

class Tooltips {
public:
    Tooltips() = default;
    ~Tooltips();
    Tooltips(const Tooltips&) = delete;
    Tooltips& operator=(const Tooltips&) = delete;

    // The tooltip window, owned by `owner` (a top-level window); false when
    // it could not be made (the controls then show no tips).
    bool create(HWND owner);
    // `text` over `control`: the tool is added the first time, its text
    // replaced after. False without a window or for a tool it refused.
    bool setText(HWND control, const std::string& text);
    HWND hwnd() const { return window_; }

private:
    HWND window_ = nullptr;
    std::vector<HWND> tools_; // the controls that have a tool
};

} // namespace velmora
