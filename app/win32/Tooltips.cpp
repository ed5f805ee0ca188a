#include "app/win32/Tooltips.h"

#include "app/win32/WideText.h"

#include <commctrl.h>

#include <algorithm>

namespace velmora {

Tooltips::~Tooltips() {
    // The owner's end has taken the window along when it went first.
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

bool Tooltips::create(HWND owner) {
    if (window_) return true;
    window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    return window_ != nullptr;
}

bool Tooltips::setText(HWND control, const std::string& text) {
    if (!window_ || !control) return false;
    std::wstring wide = widen(text);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    // The control itself is the tool: the tooltip listens to its mouse.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = &wide[0];
    if (std::find(tools_.begin(), tools_.end(), control) != tools_.end()) {
        SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return true;
    }
    if (!SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) return false;
    tools_.push_back(control);
    return true;
}

} // namespace velmora
