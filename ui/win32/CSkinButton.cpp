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
    up_.reset();
    down_.reset();
    up_ = loadBitmapResource(upName);
    if (!up_)
        return false;
    if (downName) {
        down_ = loadBitmapResource(downName);
        if (!down_)
            return false;
    }
    return true;
}

void CSkinButton::sizeToImage()
{
    if (!hwnd() || !up_)
        return;
    const SIZE size = bitmapSize(up_.get());
    ::SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void CSkinButton::setCheckState(int state)
{
    const bool changed = state != checkState_;
    checkState_ = state;
    if (!hwnd())
        return;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    if (changed)
        AccessibleClient::stateChanged(hwnd());
}

LRESULT CSkinButton::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kReflectedDrawItem:
        drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_GETOBJECT: {
        LRESULT result = 0;
        if (accessible_.answer(hwnd(), wParam, lParam, result))
            return result;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        focusFromPointer_ = true; // before the button takes the focus
        break;
    case WM_KILLFOCUS:
        focusFromPointer_ = false;
        break;
    case WM_NCDESTROY:
        accessible_.disconnect();
        break;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

void CSkinButton::drawItem(const DRAWITEMSTRUCT& item) const
{
    // Pressed and disabled states are not consulted: the image follows the
    // check state only; the keyboard focus adds a dotted rectangle.
    HBITMAP image = showsDownImage(checkState_, static_cast<bool>(down_)) ? down_.get() : up_.get();
    if (!image)
        return;
    MemoryDC source(item.hDC);
    ScopedSelect select(source.get(), image);
    if (!select.ok())
        return;
    // Where the item is larger than the image, only the image's own pixels
    // are copied; the rest keeps what the erase left there.
    const SIZE size = bitmapSize(image);
    const int width = std::min<LONG>(item.rcItem.right - item.rcItem.left, size.cx);
    const int height = std::min<LONG>(item.rcItem.bottom - item.rcItem.top, size.cy);
    ::BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, source.get(), 0, 0, SRCCOPY);
    // The focus rectangle shows while the button has a focus that came from
    // the keyboard, unless the platform hides focus cues.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT) && !focusFromPointer_ && width > 4 &&
        height > 4) {
        RECT focus{item.rcItem.left + 1, item.rcItem.top + 1, item.rcItem.left + width - 1,
                   item.rcItem.top + height - 1};
        ::DrawFocusRect(item.hDC, &focus);
    }
}

} // namespace velmora
