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

CInfoPage::CInfoPage() : CSkinPage(IDD_PAGE_INFO), logic_(*this) {}

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

INT_PTR CInfoPage::handleMessage(UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        buildLines();
        return TRUE;
    case WM_PAINT:
        paintBackground();
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace velmora
