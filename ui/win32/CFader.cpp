#include "ui/win32/CFader.h"

#include <windowsx.h>

namespace velmora {

namespace {
const char kClassName[] = "VelmoraFader";

constexpr WPARAM kDragKeys = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2 |
                             MK_SHIFT | MK_CONTROL;

FaderKey faderKey(WPARAM virtualKey)
{
    switch (virtualKey) {
    case VK_UP: return FaderKey::Up;
    case VK_DOWN: return FaderKey::Down;
    case VK_PRIOR: return FaderKey::PageUp;
    case VK_NEXT: return FaderKey::PageDown;
    case VK_HOME: return FaderKey::Home;
    case VK_END: return FaderKey::End;
    default: return FaderKey::Other;
    }
}
} // namespace

bool CFader::create(HWND parent, int x, int y, int lower, int upper, int id, const char* backName,
                    const char* knobOffName, const char* knobOnName)
{
    if (!backName || hwnd())
        return false;
    parent_ = parent;
    back_ = SkinImage(backName);
    knobOff_ = SkinImage(knobOffName);
    knobOn_ = SkinImage(knobOnName);
    const SIZE backSize = back_.size();
    backWidth_ = backSize.cx;
    backHeight_ = backSize.cy;
    model_.configure(lower, upper, backHeight_, knobOff_.size().cy);
    if (!registerClass(kClassName))
        return false;
    return createWindow(0, kClassName, "peak window", WS_CHILD | WS_VISIBLE, x, y, backWidth_,
                        backHeight_, parent, id);
}

void CFader::setScale(DisplayScale scale)
{
    back_ = back_.rescaled(scale);
    knobOff_ = knobOff_.rescaled(scale);
    knobOn_ = knobOn_.rescaled(scale);
    backWidth_ = back_.size().cx;
    backHeight_ = back_.size().cy;
    const int value = model_.value();
    model_.configure(model_.lower(), model_.upper(), backHeight_, knobOff_.size().cy);
    model_.setPos(value);
    if (hwnd())
        ::SetWindowPos(hwnd(), nullptr, 0, 0, backWidth_, backHeight_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFader::setPos(int value)
{
    const int before = model_.value();
    const int knobBefore = model_.knobTop();
    model_.setPos(value);
    repaintIfChanged(knobBefore, model_.focused());
    if (model_.value() != before)
        AccessibleClient::valueChanged(hwnd());
}

void CFader::perform(const FaderAction& action, int valueBefore, int knobBefore, bool focusBefore)
{
    if (action.takeFocus)
        ::SetFocus(hwnd());
    if (action.capture)
        ::SetCapture(hwnd());
    if (action.notify)
        notifyParent();
    if (action.releaseCapture && ::GetCapture() == hwnd())
        ::ReleaseCapture();
    if (action.repaint)
        repaintIfChanged(knobBefore, focusBefore);
    if (model_.value() != valueBefore)
        AccessibleClient::valueChanged(hwnd());
}

void CFader::notifyParent() const
{
    // Posted, not sent: the parent reads the value once this handler is done.
    if (parent_)
        ::PostMessageA(parent_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0),
                       reinterpret_cast<LPARAM>(hwnd()));
}

void CFader::repaintIfChanged(int knobTopBefore, bool focusBefore) const
{
    if (hwnd() && (model_.knobTop() != knobTopBefore || model_.focused() != focusBefore))
        ::InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT CFader::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int before = model_.value();
    const int knobBefore = model_.knobTop();
    const bool focusBefore = model_.focused();
    LRESULT answered = 0;
    if (accessible_.handleMessage(hwnd(), message, wParam, lParam, answered))
        return answered;
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_GETDLGCODE:
        // Inside a dialog the arrow keys would otherwise move the focus to
        // the next control instead of reaching the fader.
        return defaultHandling(message, wParam, lParam) | DLGC_WANTARROWS;
    case WM_KEYDOWN:
        perform(model_.onKeyDown(faderKey(wParam)), before, knobBefore, focusBefore);
        break;
    case WM_MOUSEWHEEL:
        perform(model_.onWheel(GET_WHEEL_DELTA_WPARAM(wParam)), before, knobBefore, focusBefore);
        break;
    case WM_LBUTTONDOWN:
        perform(model_.onButtonDown(), before, knobBefore, focusBefore);
        break;
    case WM_MOUSEMOVE: {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        // Signed coordinates: while captured the pointer may be above or left of the window.
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        perform(model_.onMouseMove((wParam & kDragKeys) != 0, ::PtInRect(&client, pt) != FALSE, pt.y), before,
                knobBefore, focusBefore);
        break;
    }
    case WM_LBUTTONUP:
        perform(model_.onButtonUp(GET_Y_LPARAM(lParam)), before, knobBefore, focusBefore);
        break;
    case WM_SETFOCUS:
        perform(model_.onFocus(true), before, knobBefore, focusBefore);
        break;
    case WM_KILLFOCUS:
        perform(model_.onFocus(false), before, knobBefore, focusBefore);
        break;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

void CFader::paint()
{
    ChildPaintDC dc(hwnd());
    MemoryDC buffer(dc.get());
    Bitmap surface(::CreateCompatibleBitmap(dc.get(), backWidth_, backHeight_));
    ScopedSelect selectSurface(buffer.get(), surface.get());
    if (!selectSurface.ok())
        return;
    // All three images are made at the first paint: a change of focus later makes nothing.
    HBITMAP knobOff = knobOff_.get();
    HBITMAP knobOn = knobOn_.get();
    drawBitmap(buffer.get(), back_.get(), 0, 0);
    drawBitmap(buffer.get(), model_.focused() ? knobOn : knobOff, 0, model_.knobTop());
    ::BitBlt(dc.get(), 0, 0, backWidth_, backHeight_, buffer.get(), 0, 0, SRCCOPY);
}

} // namespace velmora
