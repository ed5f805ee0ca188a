// The Info page's firmware and serial lines and the skinned controls' drawing
// choices.
#include "ui/InfoPageLogic.h"
#include "ui/SkinTextLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace velmora;

namespace {

struct FakeInfoView : InfoPageView {
    std::vector<std::string> texts;
    std::vector<std::string> serials;
    void setFirmwareText(const char* t) override { texts.push_back(t); }
    void setSerialText(const char* t) override { serials.push_back(t); }
};

} // namespace

TEST(InfoPage, FirmwareLineFollowsEveryRecordIncludingEmptyOnes) {
    FakeInfoView view;
    InfoPageLogic page(view);
    PanelSettings r;
    makeDefaultSettings(r);
    std::strcpy(r.firmwareVersion.text, "1.2.3");
    page.onSettings(r);
    std::memset(r.firmwareVersion.text, 0, sizeof r.firmwareVersion.text);
    page.onSettings(r);
    EXPECT_EQ(view.texts, (std::vector<std::string>{"1.2.3", ""}));
}

TEST(InfoPage, SerialLineShowsTheUnitsSerialAndNothingWithoutAUnit) {
    FakeInfoView view;
    InfoPageLogic page(view);
    page.onDevice("VELMORA\\UNIT\\0001");
    page.onDevice(nullptr);
    page.onDevice("ROOT\\VELMORA\\SN\x07" "42"); // a control character is not shown
    page.onDevice("");
    EXPECT_EQ(view.serials, (std::vector<std::string>{"0001", "", "SN42", ""}));
    EXPECT_TRUE(view.texts.empty()) << "the firmware line follows records only";
}

TEST(InfoPage, UnterminatedFirmwareTextStopsAtItsField) {
    PanelSettings r;
    makeDefaultSettings(r);
    std::memset(r.firmwareVersion.text, '7', sizeof r.firmwareVersion.text);
    std::memset(r.firmwareVersion.name, 'N', sizeof r.firmwareVersion.name);
    const std::string line = firmwareLine(r);
    EXPECT_EQ(line, std::string(64, '7'));

    // The driver version's text just before it is not the firmware line.
    PanelSettings d;
    makeDefaultSettings(d);
    std::strcpy(d.driverVersion.text, "9.99");
    EXPECT_EQ(firmwareLine(d), "");
}

TEST(SkinDrawing, AlignmentModesAndButtonImages) {
    EXPECT_EQ(textAlignFor(0), TextAlign::Left);
    EXPECT_EQ(textAlignFor(6), TextAlign::Centre);
    for (int mode : {1, 2, 5, 7, -1}) EXPECT_EQ(textAlignFor(mode), TextAlign::Right) << mode;

    EXPECT_TRUE(showsDownImage(1, true));
    EXPECT_FALSE(showsDownImage(1, false)) << "no down image: the up image";
    for (int state : {0, 2, 255, -1}) EXPECT_FALSE(showsDownImage(state, true)) << state;
}
