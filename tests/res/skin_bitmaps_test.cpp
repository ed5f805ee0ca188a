// The skin bitmaps and the icon as the program will load them: formats and
// sizes the controls rely on, the flat colours under the controls that paint
// their own background, and the lit / unlit pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "BmpFile.h"
#include "res/resource.h"
#include "ui/DisplayScale.h"

using velmora_test::Bmp;
using velmora_test::Rgb;
using velmora_test::readBmp;

namespace {

const std::string kResDir = VELPANEL_RES_DIR;

struct Expected {
  const char* name;
  int width, height, bits;
};

// Every bitmap resource with the size and depth its user expects.
const Expected kBitmaps[] = {
    {"BAK", 892, 372, 8},
    {"BAK_PAGE_CONTROL", 662, 282, 8},
    {"BAK_PAGE_INFO", 662, 282, 8},
    {"BTN_CONTROLU", 95, 19, 8},
    {"BTN_CONTROLD", 95, 19, 8},
    {"BTN_INFOU", 94, 19, 8},
    {"BTN_INFOD", 94, 19, 8},
    {"BTN_MON_OFF", 37, 17, 8},
    {"BTN_MON_ON", 37, 17, 8},
    {"BTN_MIX_OFF", 37, 17, 8},
    {"BTN_MIX_ON", 37, 17, 8},
    {"BTN_MUTELEFT_OFF", 20, 14, 8},
    {"BTN_MUTELEFT_ON", 20, 14, 8},
    {"BTN_MUTERIGHT_OFF", 20, 14, 8},
    {"BTN_MUTERIGHT_ON", 20, 14, 8},
    {"BTN_LINK_OFF", 29, 14, 8},
    {"BTN_LINK_ON", 29, 14, 8},
    {"FADER_BACK", 17, 163, 8},
    {"FADER_KNOB_OFF", 17, 14, 8},
    {"FADER_KNOB_ON", 17, 14, 8},
    {"PEAK_BACK", 7, 150, 4},
    {"PEAK_FORE", 7, 150, 8},
    // Named resources nothing loads: any size, 8-bit.
    {"BTN_CONTROLF", 0, 0, 8},
    {"BTN_CONTROLX", 0, 0, 8},
    {"BTN_CONFIGU", 0, 0, 8},
    {"BTN_CONFIGD", 0, 0, 8},
    {"BTN_SPDIFOUT_ON", 0, 0, 8},
    {"BTN_SPDIFOUT_OFF", 0, 0, 8},
};

std::string bitmapPath(const std::string& name) { return kResDir + "/bitmaps/" + name + ".bmp"; }

const Bmp& load(const std::string& name) {
  static std::map<std::string, Bmp> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, readBmp(bitmapPath(name))).first;
  return it->second;
}

int saturation(const Rgb& c) {
  return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
}

int maxSaturation(const Bmp& b) {
  int m = 0;
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) m = std::max(m, saturation(b.at(x, y)));
  return m;
}

// Every pixel of the rectangle (x, y, w, h) grown by `margin` is `colour`.
::testing::AssertionResult flat(const Bmp& b, int x, int y, int w, int h, int margin, Rgb colour) {
  for (int yy = y - margin; yy < y + h + margin; ++yy)
    for (int xx = x - margin; xx < x + w + margin; ++xx) {
      if (xx < 0 || yy < 0 || xx >= b.width || yy >= b.height)
        return ::testing::AssertionFailure() << "(" << xx << "," << yy << ") outside the bitmap";
      Rgb c = b.at(xx, yy);
      if (c != colour)
        return ::testing::AssertionFailure()
               << "(" << xx << "," << yy << ") is RGB(" << int(c.r) << "," << int(c.g) << ","
               << int(c.b) << ")";
    }
  return ::testing::AssertionSuccess();
}

const Rgb kStatusGrey{221, 221, 221};
const Rgb kControlPanel{235, 235, 235};
const Rgb kInfoPanel{236, 236, 236};

}  // namespace

TEST(SkinBitmaps, EachIsAnUncompressedPalettisedBitmapOfTheSizeItsControlExpects) {
  for (const Expected& e : kBitmaps) {
    SCOPED_TRACE(e.name);
    const Bmp& b = load(e.name);
    ASSERT_EQ(b.error, "");
    EXPECT_EQ(b.bitCount, e.bits);
    EXPECT_EQ(b.compression, 0u);  // BI_RGB
    EXPECT_EQ(b.planes, 1);
    if (e.width) {
      EXPECT_EQ(b.width, e.width);
      EXPECT_EQ(b.height, e.height);
    }
    const size_t stride = ((static_cast<size_t>(b.width) * b.bitCount + 31) / 32) * 4;
    EXPECT_EQ(b.fileSize, b.actualFileSize);
    EXPECT_EQ(b.dataOffset + stride * b.height, b.actualFileSize);
    EXPECT_TRUE(b.imageSize == 0 || b.imageSize == stride * b.height);
  }
}

TEST(SkinBitmaps, TheResourceScriptNamesEveryBitmapOnceAndNoFileIsLeftOut) {
  std::ifstream rc(kResDir + "/VelPanel.rc");
  ASSERT_TRUE(rc.good());
  std::regex line(R"(^\s*([A-Z_]+)\s+BITMAP\s+\"([^\"]+)\")");  // the 100 % set
  std::map<std::string, std::string> named;
  std::string s;
  while (std::getline(rc, s)) {
    std::smatch m;
    if (std::regex_search(s, m, line)) {
      EXPECT_TRUE(named.emplace(m[1], m[2]).second) << "named twice: " << m[1];
    }
  }
  std::set<std::string> expected;
  for (const Expected& e : kBitmaps) expected.insert(e.name);
  std::set<std::string> got;
  for (const auto& [name, file] : named) {
    got.insert(name);
    EXPECT_EQ(file, "bitmaps/" + name + ".bmp");
    EXPECT_TRUE(std::filesystem::exists(kResDir + "/" + file)) << file;
  }
  EXPECT_EQ(got, expected);
  for (const auto& f : std::filesystem::directory_iterator(kResDir + "/bitmaps")) {
    if (f.is_directory()) continue;  // a scaled set
    EXPECT_TRUE(expected.count(f.path().stem().string())) << "not in the resources: " << f.path();
  }
}

TEST(SkinBitmaps, EachScaledSetHoldsEveryShownBitmapAtTheSizeTheProgramScalesTo) {
  // NAME_PCT in the script for every bitmap the program shows (the spare
  // tabs are not), bitmaps/PCT/NAME.bmp on disk, of the 100 % bitmap's size
  // scaled as the program scales it and of its depth.
  std::ifstream rc(kResDir + "/VelPanel.rc");
  ASSERT_TRUE(rc.good());
  std::regex line(R"(^\s*([A-Z_]+)_([0-9]+)\s+BITMAP\s+\"([^\"]+)\")");
  std::set<std::string> named;
  std::string s;
  while (std::getline(rc, s)) {
    std::smatch m;
    if (!std::regex_search(s, m, line)) continue;
    const std::string name = m[1], percent = m[2];
    EXPECT_EQ(m[3].str(), "bitmaps/" + percent + "/" + name + ".bmp");
    EXPECT_TRUE(named.insert(name + "_" + percent).second) << "named twice: " << name << "_" << percent;
  }
  for (int percent : velmora::ART_PERCENTS) {
    if (percent == 100) continue;
    const velmora::DisplayScale scale{percent * 96 / 100};
    size_t files = 0;
    for (const Expected& e : kBitmaps) {
      if (std::string(e.name).find("CONFIG") != std::string::npos || std::string(e.name) == "BTN_CONTROLF" ||
          std::string(e.name) == "BTN_CONTROLX")
        continue;
      SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(percent) + " %");
      EXPECT_TRUE(named.count(std::string(e.name) + "_" + std::to_string(percent)));
      const Bmp& base = load(e.name);
      const Bmp scaled = readBmp(kResDir + "/bitmaps/" + std::to_string(percent) + "/" + e.name + ".bmp");
      ASSERT_EQ(scaled.error, "");
      EXPECT_EQ(scaled.width, scale.px(base.width));
      EXPECT_EQ(scaled.height, scale.px(base.height));
      EXPECT_EQ(scaled.bitCount, base.bitCount);
      ++files;
    }
    size_t onDisk = 0;
    for (const auto& f : std::filesystem::directory_iterator(kResDir + "/bitmaps/" + std::to_string(percent)))
      onDisk += f.path().extension() == ".bmp";
    EXPECT_EQ(onDisk, files) << percent;
  }
  // The panels the program paints on keep their exact colour at 200 %.
  const Bmp bak = readBmp(kResDir + "/bitmaps/200/BAK.bmp");
  EXPECT_TRUE(flat(bak, 2 * 790, 2 * 96, 2 * 74, 2 * 14, 0, kStatusGrey));
}

TEST(MainWindowBackground, StatusTextsAndRadioButtonsSitOnTheirOwnGrey) {
  const Bmp& bak = load("BAK");
  ASSERT_EQ(bak.error, "");
  for (int y : {96, 120, 135, 158, 183, 202}) {
    SCOPED_TRACE(y);
    EXPECT_TRUE(flat(bak, 790, y, 74, 14, 1, kStatusGrey));
  }
  // Digital Format and Output Level radio buttons
  EXPECT_TRUE(flat(bak, 716, 244, 80, 32, 1, kStatusGrey));
  EXPECT_TRUE(flat(bak, 716, 291, 120, 32, 1, kStatusGrey));
}

TEST(MainWindowBackground, TabsMeetTheFrameWithoutASeam) {
  const Bmp& bak = load("BAK");
  for (const char* name : {"BTN_CONTROLU", "BTN_CONTROLD"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(load(name).at(0, 0), bak.at(25, 22));
  }
  for (const char* name : {"BTN_INFOU", "BTN_INFOD"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(load(name).at(0, 0), bak.at(120, 22));
  }
}

TEST(ControlPageBackground, DbLabelsAndSelectorsSitOnThePanelColour) {
  const Bmp& page = load("BAK_PAGE_CONTROL");
  ASSERT_EQ(page.error, "");
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_TRUE(flat(page, 330 + 83 * k, 227, 32, 12, 1, kControlPanel));
    EXPECT_TRUE(flat(page, 368 + 83 * k, 227, 32, 12, 1, kControlPanel));
  }
  for (int x : {330, 411, 495, 579}) {
    SCOPED_TRACE(x);
    EXPECT_TRUE(flat(page, x, 33, 80, 16, 1, kControlPanel));
  }
}

TEST(ControlPageBackground, SwitchCornersBlendIntoThePageWhereverTheyAreUsed) {
  const Bmp& page = load("BAK_PAGE_CONTROL");
  for (const char* state : {"OFF", "ON"}) {
    SCOPED_TRACE(state);
    const Bmp& left = load(std::string("BTN_MUTELEFT_") + state);
    const Bmp& right = load(std::string("BTN_MUTERIGHT_") + state);
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE(k);
      // Left mute: rounded on the left; right mute: rounded on the right.
      EXPECT_EQ(left.at(0, 0), page.at(331 + 83 * k, 242));
      EXPECT_EQ(left.at(0, 13), page.at(331 + 83 * k, 255));
      EXPECT_EQ(right.at(19, 0), page.at(380 + 83 * k + 19, 242));
      EXPECT_EQ(right.at(19, 13), page.at(380 + 83 * k + 19, 255));
    }
    const Bmp& mon = load(std::string("BTN_MON_") + state);
    const Bmp& mix = load(std::string("BTN_MIX_") + state);
    EXPECT_EQ(mon.at(0, 0), page.at(270, 260));
    EXPECT_EQ(mon.at(36, 16), page.at(306, 276));
    EXPECT_EQ(mix.at(0, 0), page.at(596, 260));
    EXPECT_EQ(mix.at(36, 16), page.at(632, 276));
  }
}

TEST(InfoPageBackground, TheTextLinesSitOnTheirPanelColour) {
  const Bmp& page = load("BAK_PAGE_INFO");
  ASSERT_EQ(page.error, "");
  EXPECT_TRUE(flat(page, 111, 46, 90, 56, 1, kInfoPanel)) << "maker, product, firmware and serial lines";
}

TEST(PeakMeter, TheLitBarRunsGreenToRedUpwardsAndTheTrackIsTheSameBarUnlit) {
  const Bmp& fore = load("PEAK_FORE");
  const Bmp& back = load("PEAK_BACK");
  ASSERT_EQ(fore.error, "");
  ASSERT_EQ(back.error, "");
  auto brightestInRows = [&](int y0, int y1) {
    Rgb best;
    for (int y = y0; y < y1; ++y)
      if (fore.at(3, y).luma() > best.luma()) best = fore.at(3, y);
    return best;
  };
  Rgb bottom = brightestInRows(140, 150), middle = brightestInRows(30, 40),
      top = brightestInRows(0, 6);
  EXPECT_GT(bottom.g, 150);
  EXPECT_LT(bottom.r, 140);
  EXPECT_GT(middle.r, 180);  // yellow
  EXPECT_GT(middle.g, 180);
  EXPECT_GT(top.r, 200);  // red at the top
  EXPECT_LT(top.g, 120);
  int darkest = 255, brightestBack = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 7; ++x) {
      EXPECT_GE(fore.at(x, y).luma(), back.at(x, y).luma()) << x << "," << y;
      brightestBack = std::max(brightestBack, back.at(x, y).luma());
    }
    darkest = std::min(darkest, fore.at(3, y).luma());
  }
  EXPECT_LT(brightestBack, 90);  // unlit
  EXPECT_LT(darkest, 40);        // segments are separated by dark gaps
}

TEST(Fader, TheFocusedKnobIsLitAndTheSlotRunsTheWholeTravel) {
  const Bmp& off = load("FADER_KNOB_OFF");
  const Bmp& on = load("FADER_KNOB_ON");
  EXPECT_LT(maxSaturation(off), 40);
  EXPECT_GT(maxSaturation(on), 120);
  const Bmp& back = load("FADER_BACK");
  // The knob centre travels from row 7 (value 127) to row 156 (value 0).
  for (int y = 7; y <= 156; ++y) EXPECT_LT(back.at(8, y).luma(), 60) << y;
}

TEST(SwitchButtons, OnImagesAreLitAndOffImagesAreGrey) {
  const std::pair<const char*, const char*> pairs[] = {
      {"BTN_MON_OFF", "BTN_MON_ON"},         {"BTN_MIX_OFF", "BTN_MIX_ON"},
      {"BTN_MUTELEFT_OFF", "BTN_MUTELEFT_ON"}, {"BTN_MUTERIGHT_OFF", "BTN_MUTERIGHT_ON"},
      {"BTN_LINK_OFF", "BTN_LINK_ON"},       {"BTN_CONTROLU", "BTN_CONTROLD"},
      {"BTN_INFOU", "BTN_INFOD"},            {"BTN_SPDIFOUT_OFF", "BTN_SPDIFOUT_ON"},
      {"BTN_CONFIGU", "BTN_CONFIGD"},
  };
  for (const auto& [offName, onName] : pairs) {
    SCOPED_TRACE(onName);
    EXPECT_LT(maxSaturation(load(offName)), 40);
    EXPECT_GT(maxSaturation(load(onName)), 120);
  }
}

TEST(Icon, HoldsSmallLargeAndExtraLargeImages) {
  std::vector<uint8_t> d = velmora_test::readFile(kResDir + "/VelPanel.ico");
  ASSERT_GE(d.size(), 6u);
  EXPECT_EQ(velmora_test::le16(d, 0), 0);
  EXPECT_EQ(velmora_test::le16(d, 2), 1);  // icon, not cursor
  const int count = velmora_test::le16(d, 4);
  std::set<int> sizes;
  for (int i = 0; i < count; ++i) {
    const size_t e = 6 + 16 * i;
    ASSERT_LE(e + 16, d.size());
    const int w = d[e] ? d[e] : 256, h = d[e + 1] ? d[e + 1] : 256;
    EXPECT_EQ(w, h);
    const uint32_t bytes = velmora_test::le32(d, e + 8), offset = velmora_test::le32(d, e + 12);
    ASSERT_LE(static_cast<size_t>(offset) + bytes, d.size());
    ASSERT_GE(bytes, 40u);
    EXPECT_EQ(velmora_test::le32(d, offset), 40u);
    EXPECT_EQ(static_cast<int32_t>(velmora_test::le32(d, offset + 4)), w);
    EXPECT_EQ(static_cast<int32_t>(velmora_test::le32(d, offset + 8)), 2 * h);  // colour + mask
    const int bits = velmora_test::le16(d, offset + 14);
    const size_t colour = static_cast<size_t>(((w * bits + 31) / 32) * 4) * h;
    const size_t mask = static_cast<size_t>(((w + 31) / 32) * 4) * h;
    EXPECT_GE(bytes, 40 + colour + mask);
    sizes.insert(w);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
}

TEST(ResourceIds, MenuCommandsAreDistinctAndTheAboutEntryLeavesTheSystemBitsFree) {
  // The system menu uses the low four bits of a command for itself.
  static_assert((IDM_ABOUTBOX & 0xF) == 0 && IDM_ABOUTBOX < 0xF000, "about entry id");
  const int commands[] = {ID_OPEN,       ID_EXIT,       ID_FACTORY_DEFAULT, ID_RATE_44100,
                          ID_RATE_48000, ID_RATE_88200, ID_RATE_96000,      ID_CLOCK_AUTO,
                          ID_CLOCK_INTERNAL, ID_LATENCY_1, ID_LATENCY_2,    ID_LATENCY_3,
                          ID_LATENCY_4,  ID_LATENCY_5,  ID_LATENCY_6};
  std::set<int> seen;
  for (int c : commands) {
    EXPECT_TRUE(seen.insert(c).second) << c;
    EXPECT_LT(c, 0xF000) << c;  // below the system command range
  }
  // The six latency steps are consecutive: handlers index them from ID_LATENCY_1.
  EXPECT_EQ(ID_LATENCY_6 - ID_LATENCY_1, 5);
}
