// The Info page: four fixed-position lines, two of them fixed texts, one the
// firmware version of the published record and one the serial of the unit.
#pragma once

#include "settings/PanelSettings.h"

#include <string>

namespace velmora {
namespace infopage {

struct TextLine { int x; int y; int width; int height; const char* text; };
struct Rgb { uint8_t r; uint8_t g; uint8_t b; };

constexpr const char* BACKGROUND = "BAK_PAGE_INFO";
constexpr int BACKGROUND_WIDTH = 662;
constexpr int BACKGROUND_HEIGHT = 282;
constexpr int PAGE_X = 24;
constexpr int PAGE_Y = 53;

constexpr TextLine MAKER_LINE{111, 46, 50, 14, "Qor"};
constexpr TextLine PRODUCT_LINE{111, 60, 90, 14, "Velmora, REV1.0"};
constexpr TextLine FIRMWARE_LINE{111, 74, 90, 14, ""};
constexpr TextLine SERIAL_LINE{111, 88, 90, 14, ""};
constexpr int LINE_ID = -1;
constexpr Rgb TEXT_COLOUR{63, 63, 63};
constexpr Rgb BACK_COLOUR{236, 236, 236};

} // namespace infopage

// The firmware version text of the record, never read past its 64 bytes:
// a text without a terminating zero shows its 64 bytes.
std::string firmwareLine(const PanelSettings& record);

class InfoPageView {
public:
    virtual void setFirmwareText(const char* text) = 0;
    virtual void setSerialText(const char* text) = 0;

protected:
    ~InfoPageView() = default;
};

class InfoPageLogic {
public:
    explicit InfoPageLogic(InfoPageView& view) : view_(view) {}
    // Every record replaces the firmware line, an empty version included.
    void onSettings(const PanelSettings& record);
    // The unit the main window works with, by its instance id (null: none).
    // The serial line shows the unit's serial ("0001", beside the caption
    // "Serial" of the background), or nothing without a unit.
    void onDevice(const char* instanceId);

private:
    InfoPageView& view_;
};

} // namespace velmora
