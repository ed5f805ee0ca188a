#include "ui/win32/CSkinButton.h"

#include "ui/SkinTextLayout.h"

#include <algorithm>

namespace velmora {

bool CSkinButton::create(const char* text, DWORD style, const RECT& rect, HWND parent, int id)
{
    if (hwnd())
        return false;
    HWND button = ::CreateWindowExA(0, "BUTTON", text, style, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (!button)
        return false;
    if (!attach(button)) {
        ::DestroyWindow(button);
        return false;
    }
    return true;
}

bool CSkinButton::loadImages(const char* upName, const char* downName)
{
    up_ = SkinImage();
    down_ = SkinImage();
    up_ = SkinImage(upName);
    if (!up_)
        return false;
    if (downName) {
        down_ = SkinImage(downName);
        if (!down_)
            return false;
    }
    if (hwnd())
        ::InvalidateRect(hwnd(), nullptr, TRUE);
    return true;
}

void CSkinButton::sizeToImage()
{
    if (!hwnd() || !up_)
        return;
    const SIZE size = up_.size();
    ::SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void CSkinButton::setScale(DisplayScale scale)
{
    up_ = up_.rescaled(scale);
    down_ = down_.rescaled(scale);
    if (hwnd())
        ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CSkinButton::setCheckState(int state)
{
    const bool changed = state != checkState_;
    const bool imageChanges = showsDownImage(state, static_cast<bool>(down_)) !=
                              showsDownImage(checkState_, static_cast<bool>(down_));
    checkState_ = state;
    if (!hwnd())
        return;
    if (imageChanges)
        ::InvalidateRect(hwnd(), nullptr, TRUE);
    if (changed)
        AccessibleClient::stateChanged(hwnd());
}

LRESULT CSkinButton::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT answered = 0;
    if (accessible_.handleMessage(hwnd(), message, wParam, lParam, answered))
        return answered;
    switch (message) {
    case kReflectedDrawItem: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        draw(item.hDC, item.rcItem, (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT));
        return TRUE;
    }
    case WM_PAINT:
        paint();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        focusFromPointer_ = true; // before the button takes the focus
        break;
    case WM_KILLFOCUS:
        focusFromPointer_ = false;
        break;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

void CSkinButton::paint()
{
    ChildPaintDC dc(hwnd());
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    // What the platform's owner-drawn button does before asking for the
    // drawing: the whole button takes the brush its parent gives buttons.
    HWND parent = ::GetParent(hwnd());
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageA(parent ? parent : hwnd(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.get()),
                       reinterpret_cast<LPARAM>(hwnd())));
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(::DefWindowProcA(parent ? parent : hwnd(), WM_CTLCOLORBTN,
                                                          reinterpret_cast<WPARAM>(dc.get()),
                                                          reinterpret_cast<LPARAM>(hwnd())));
    const SIZE size = up_.size();
    if (brush && (client.right > size.cx || client.bottom > size.cy || !up_))
        ::FillRect(dc.get(), &client, brush);
    const bool focused = ::GetFocus() == hwnd();
    const bool cuesHidden = (::SendMessageA(hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    draw(dc.get(), client, focused && !cuesHidden);
}

void CSkinButton::draw(HDC dc, const RECT& item, bool focusRect) const
{
    // Pressed and disabled states are not consulted: the image follows the
    // check state only; the keyboard focus adds a dotted rectangle. Both
    // images are made at the first drawing, so that a later change of state
    // makes nothing.
    HBITMAP upImage = up_.get();
    HBITMAP downImage = down_.get();
    HBITMAP image = showsDownImage(checkState_, static_cast<bool>(down_)) ? downImage : upImage;
    if (!image)
        return;
    MemoryDC source(dc);
    ScopedSelect select(source.get(), image);
    if (!select.ok())
        return;
    // Where the item is larger than the image, only the image's own pixels
    // are copied; the rest keeps what the erase left there.
    const SIZE size = bitmapSize(image);
    const int width = std::min<LONG>(item.right - item.left, size.cx);
    const int height = std::min<LONG>(item.bottom - item.top, size.cy);
    ::BitBlt(dc, item.left, item.top, width, height, source.get(), 0, 0, SRCCOPY);
    // The focus rectangle shows while the button has a focus that came from
    // the keyboard, unless the platform hides focus cues.
    if (focusRect && !focusFromPointer_ && width > 4 && height > 4) {
        RECT focus{item.left + 1, item.top + 1, item.left + width - 1, item.top + height - 1};
        ::DrawFocusRect(dc, &focus);
    }
}

} // namespace velmora
