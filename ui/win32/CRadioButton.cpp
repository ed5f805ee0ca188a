#include "ui/win32/CRadioButton.h"

#include "ui/KeyboardOrder.h"

namespace velmora {

bool CRadioButton::create(const char* text, int id, const RECT& rect, HWND parent, HFONT font, DWORD extraStyle)
{
    if (hwnd())
        return false;
    HWND button = ::CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON | extraStyle,
                                    rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                    nullptr);
    if (!button)
        return false;
    if (!attach(button)) {
        ::DestroyWindow(button);
        return false;
    }
    if (font)
        ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return true;
}

void CRadioButton::setChecked(bool checked)
{
    if (!hwnd())
        return;
    // The same mark again draws nothing.
    if (this->checked() == checked)
        return;
    ::SendMessageA(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    AccessibleClient::stateChanged(hwnd());
}

bool CRadioButton::checked() const
{
    return hwnd() && ::SendMessageA(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

LRESULT CRadioButton::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT answered = 0;
    if (accessible_.handleMessage(hwnd(), message, wParam, lParam, answered))
        return answered;
    if (message == WM_NCPAINT) {
        // No border, no frame: nothing outside the client area to paint (and
        // under Wine the frame's painting keeps a DC and a region per window).
        RECT window{}, client{};
        ::GetWindowRect(hwnd(), &window);
        ::GetClientRect(hwnd(), &client);
        if (window.right - window.left == client.right && window.bottom - window.top == client.bottom)
            return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

void placeGroupTabStop(CRadioButton* members, int count)
{
    bool checked[8] = {};
    if (count > 8)
        count = 8;
    for (int i = 0; i < count; ++i)
        checked[i] = members[i].checked();
    const int stop = radioTabStop(checked, count);
    for (int i = 0; i < count; ++i) {
        HWND member = members[i].hwnd();
        if (!member)
            continue;
        const LONG_PTR style = ::GetWindowLongPtrA(member, GWL_STYLE);
        const LONG_PTR wanted = i == stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        if (wanted != style)
            ::SetWindowLongPtrA(member, GWL_STYLE, wanted);
    }
}

} // namespace velmora
