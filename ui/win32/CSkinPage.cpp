#include "ui/win32/CSkinPage.h"

namespace velmora {

bool CSkinPage::createPage(HWND parent, int x, int y, const char* bitmapName)
{
    if (!createModeless(parent, templateId_))
        return false;
    owner_ = parent;
    background_ = loadBitmapResource(bitmapName);
    const SIZE size = bitmapSize(background_.get());
    ::MoveWindow(hwnd(), x, y, size.cx, size.cy, FALSE);
    return true;
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

void CSkinPage::paintBackground()
{
    PaintDC dc(hwnd());
    drawBitmap(dc.get(), background_.get(), 0, 0);
}

} // namespace velmora
