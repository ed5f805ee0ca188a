#include "ui/win32/CSkinPage.h"

#include "ui/win32/WindowDpi.h"

namespace velmora {

CSkinPage::CSkinPage(int templateId, const char* name) : templateId_(templateId)
{
    accessible_.describeWith([name] { return access::page(name); });
}

bool CSkinPage::createPage(HWND parent, int x, int y, const char* bitmapName)
{
    if (!createModeless(parent, templateId_))
        return false;
    owner_ = parent;
    keepOwnLayoutOnDpiChange(hwnd());
    background_ = SkinImage(bitmapName);
    const SIZE size = background_.size();
    ::MoveWindow(hwnd(), x, y, size.cx, size.cy, FALSE);
    return true;
}

void CSkinPage::setScale(DisplayScale scale, POINT at)
{
    scale_ = scale;
    background_ = background_.rescaled(scale);
    if (!hwnd())
        return;
    const SIZE size = background_.size();
    ::SetWindowPos(hwnd(), nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    scaleControls(scale);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CSkinPage::showPage(bool visible)
{
    if (hwnd())
        ::ShowWindow(hwnd(), visible ? SW_SHOW : SW_HIDE);
}

void CSkinPage::setDevice(USBDevice* device)
{
    device_ = device;
}

void CSkinPage::clearDevice()
{
    device_ = nullptr;
}

void CSkinPage::destroyPage()
{
    destroyWindow();
    delete this;
}

INT_PTR CSkinPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!accessible_.handleMessage(hwnd(), message, wParam, lParam, result))
        return FALSE;
    setMessageResult(result);
    return TRUE;
}

void CSkinPage::paintBackground()
{
    PaintDC dc(hwnd());
    drawBitmap(dc.get(), background_.get(), 0, 0);
}

} // namespace velmora
