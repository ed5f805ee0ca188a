#include "ui/win32/CInfoPage.h"

#include "res/resource.h"

namespace velmora {

using namespace infopage;

namespace {
COLORREF colour(Rgb c) { return RGB(c.r, c.g, c.b); }

void createLine(CSkinText& line, HWND parent, const TextLine& at)
{
    line.create(parent, at.x, at.y, at.width, at.height, LINE_ID, colour(TEXT_COLOUR), colour(BACK_COLOUR),
                at.text);
    line.setAlign(CSkinText::kAlignLeft);
}
} // namespace

CInfoPage::CInfoPage() : logic_(*this) {}

bool CInfoPage::createPage(HWND parent, int x, int y, const char* bitmapName)
{
    if (!createModeless(parent, IDD_PAGE_INFO))
        return false;
    owner_ = parent;
    background_ = loadBitmapResource(bitmapName);
    const SIZE size = bitmapSize(background_.get());
    backgroundWidth_ = size.cx;
    backgroundHeight_ = size.cy;
    ::MoveWindow(hwnd(), x, y, backgroundWidth_, backgroundHeight_, FALSE);
    return true;
}

void CInfoPage::buildLines()
{
    createLine(makerLine_, hwnd(), MAKER_LINE);
    createLine(productLine_, hwnd(), PRODUCT_LINE);
    createLine(firmwareLine_, hwnd(), FIRMWARE_LINE);
}

void CInfoPage::setFirmwareText(const char* text)
{
    firmwareLine_.setText(text);
}

void CInfoPage::onMeters(const MeterBlock&) {}

void CInfoPage::onSettings(PanelSettings record)
{
    logic_.onSettings(record);
}

void CInfoPage::showPage(bool visible)
{
    if (hwnd())
        ::ShowWindow(hwnd(), visible ? SW_SHOW : SW_HIDE);
}

void CInfoPage::setDevice(USBDevice* device)
{
    device_ = device;
}

void CInfoPage::clearDevice()
{
    device_ = nullptr;
}

void CInfoPage::destroyPage()
{
    destroyWindow();
    delete this;
}

INT_PTR CInfoPage::handleMessage(UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        buildLines();
        return TRUE;
    case WM_PAINT:
        paint();
        return TRUE;
    default:
        return FALSE;
    }
}

void CInfoPage::paint()
{
    PaintDC dc(hwnd());
    drawBitmap(dc.get(), background_.get(), 0, 0);
}

} // namespace velmora
