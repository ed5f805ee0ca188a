#include "ui/win32/CInfoPage.h"

#include "device/USBDevice.h"
#include "res/resource.h"
#include "ui/win32/WindowDpi.h"

namespace velmora {

using namespace infopage;

namespace {
COLORREF colour(Rgb c) { return RGB(c.r, c.g, c.b); }

void createLine(CSkinText& line, HWND parent, const TextLine& at, const char* caption, bool showsData)
{
    line.create(parent, at.x, at.y, at.width, at.height, LINE_ID, colour(TEXT_COLOUR), colour(BACK_COLOUR),
                at.text);
    line.setAlign(CSkinText::kAlignLeft);
    line.setShowsData(showsData);
    line.accessible().describeWith([&line, caption] { return access::captionedText(caption, line.text()); });
}
} // namespace

CInfoPage::CInfoPage() : CSkinPage(IDD_PAGE_INFO, "Info page"), logic_(*this) {}

void CInfoPage::buildLines()
{
    // Maker and product are fixed labels; firmware and serial come from the unit.
    createLine(makerLine_, hwnd(), MAKER_LINE, "Maker", false);
    createLine(productLine_, hwnd(), PRODUCT_LINE, "Product", false);
    createLine(firmwareLine_, hwnd(), FIRMWARE_LINE, "Firmware", true);
    createLine(serialLine_, hwnd(), SERIAL_LINE, "Serial", true);
}

void CInfoPage::scaleControls(DisplayScale scale)
{
    const TextLine* places[] = {&MAKER_LINE, &PRODUCT_LINE, &FIRMWARE_LINE, &SERIAL_LINE};
    CSkinText* lines[] = {&makerLine_, &productLine_, &firmwareLine_, &serialLine_};
    for (int i = 0; i < 4; ++i) {
        lines[i]->setScale(scale);
        placeChild(lines[i]->hwnd(), scale.box(places[i]->x, places[i]->y, places[i]->width, places[i]->height));
    }
}

void CInfoPage::setFirmwareText(const char* text)
{
    firmwareLine_.setText(text);
}

void CInfoPage::setSerialText(const char* text)
{
    serialLine_.setText(text);
}

void CInfoPage::setDevice(USBDevice* device)
{
    CSkinPage::setDevice(device);
    logic_.onDevice(device ? device->instanceId().c_str() : nullptr);
}

void CInfoPage::onMeters(const MeterBlock&) {}

void CInfoPage::onSettings(PanelSettings record)
{
    logic_.onSettings(record);
}

INT_PTR CInfoPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        buildLines();
        return TRUE;
    case WM_PAINT:
        paintBackground();
        return TRUE;
    default:
        return CSkinPage::handleMessage(message, wParam, lParam);
    }
}

} // namespace velmora
