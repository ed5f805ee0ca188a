// A whole panel without windows: PanelCore over a recording view, two
// recording pages, an in-memory store and units simulated by the device model.
#pragma once

#include "app/PanelCore.h"
#include "tests/support/SettingsRecords.h"
#include "app/PanelView.h"
#include "device/USBDevice.h"
#include "settings/MemorySettingsStore.h"
#include "settings/PanelSettings.h"
#include "sim/fake/ModelTransport.h"
#include "sim/model/VelmoraModel.h"
#include "ui/SettingsObserver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace velmora {
namespace testing_app {

class RecordingView : public PanelView {
public:
    std::string title;
    std::string status[STATUS_TEXT_COUNT];
    std::map<unsigned, bool> menu;
    std::map<unsigned, bool> radio;
    std::map<unsigned, int> tabs;
    std::vector<std::string> errors;
    std::vector<std::string> calls; // every call in order, as short tags
    bool visible = true;
    bool trayShown = true;
    std::string trayTip;
    std::set<unsigned> timers;
    int quits = 0;
    int listenerStops = 0;
    int unitOffers = 0;
    int noticesScheduled = 0;
    std::vector<std::string> questions;
    std::vector<std::string> notices;
    bool answerYes = true;
    // Runs while a box is open, as the box's message loop would run the
    // timers, device events and queued input that come meanwhile.
    std::function<void(const std::string& text)> whileBoxOpen;
    std::function<void()> onOfferUnits;

    void setTitle(const char* text) override { title = text; calls.push_back(std::string("title:") + text); }
    void setStatusText(int index, const char* text) override { status[index] = text; }
    void setMenuCheck(unsigned id, bool checked) override { menu[id] = checked; }
    void setRadioCheck(unsigned id, bool checked) override { radio[id] = checked; }
    void setTabCheck(unsigned id, int state) override {
        tabs[id] = state;
        calls.push_back("tab:" + std::to_string(id) + "=" + std::to_string(state));
    }
    void showError(const char* text) override {
        errors.push_back(text);
        calls.push_back("error");
        boxOpen(text);
    }
    bool askYesNo(const char* text) override {
        questions.push_back(text);
        calls.push_back("question");
        boxOpen(text);
        return answerYes;
    }
    void showNotice(const char* text) override {
        notices.push_back(text);
        calls.push_back("notice");
        boxOpen(text);
    }
    void scheduleNotice() override { ++noticesScheduled; }
    void offerPresentUnits() override {
        ++unitOffers;
        if (onOfferUnits) onOfferUnits();
    }
    int unitLookups = 0;
    void lookForUnits() override {
        ++unitLookups;
        calls.push_back("lookForUnits");
    }
    void boxOpen(const std::string& text) {
        if (whileBoxOpen) whileBoxOpen(text);
    }
    void showWindow(bool on) override { visible = on; calls.push_back(on ? "show" : "hide"); }
    bool windowShown() const override { return visible; }
    void showTrayIcon(bool on) override { trayShown = on; calls.push_back(on ? "tray:show" : "tray:hide"); }
    void setTrayTip(const char* text) override { trayTip = text; calls.push_back(std::string("tip:") + text); }
    void startTimer(unsigned id, unsigned period) override {
        timers.insert(id);
        calls.push_back("timer+" + std::to_string(id) + "/" + std::to_string(period));
    }
    void stopTimer(unsigned id) override { timers.erase(id); calls.push_back("timer-" + std::to_string(id)); }
    void quit() override { ++quits; calls.push_back("quit"); }
    void stopListener() override { ++listenerStops; calls.push_back("stopListener"); }

    bool checked(unsigned id) const {
        auto it = menu.find(id);
        return it != menu.end() && it->second;
    }
    bool radioChecked(unsigned id) const {
        auto it = radio.find(id);
        return it != radio.end() && it->second;
    }
    size_t countCalls(const std::string& tag) const {
        size_t n = 0;
        for (const auto& c : calls) n += c == tag;
        return n;
    }
};

// What the pages saw, kept outside them: the list destroys its pages.
struct PageTrace {
    std::vector<std::string> calls; // "<name>:<op>"
    int destroyed = 0;
};

class RecordingPage : public SettingsObserver {
public:
    RecordingPage(PageTrace& trace, std::string name) : trace_(trace), name_(std::move(name)) {}

    std::vector<PanelSettings> records;
    int meterCalls = 0;
    MeterBlock lastMeters = {};
    USBDevice* device = nullptr;
    bool shown = true;
    std::function<void(PanelSettings&)> onSettingsHook;

    void onMeters(const MeterBlock& block) override {
        ++meterCalls;
        lastMeters = block;
    }
    void onSettings(PanelSettings record) override {
        trace_.calls.push_back(name_ + ":settings");
        if (onSettingsHook) onSettingsHook(record);
        records.push_back(record);
    }
    void showPage(bool visible) override {
        shown = visible;
        trace_.calls.push_back(name_ + (visible ? ":show" : ":hide"));
    }
    void setDevice(USBDevice* d) override {
        device = d;
        trace_.calls.push_back(name_ + ":device");
    }
    void clearDevice() override { device = nullptr; }
    void destroyPage() override {
        trace_.calls.push_back(name_ + ":destroy");
        ++trace_.destroyed;
        delete this;
    }

private:
    PageTrace& trace_;
    std::string name_;
};

// One simulated unit, held by the "listener" (one reference) for the test.
class Unit {
public:
    explicit Unit(const char* serial = "0001") {
        vm_init(&model);
        auto t = std::make_unique<ModelTransport>(&model);
        transport = t.get();
        std::string path = std::string("\\\\?\\velmora#unit#") + serial;
        std::string id = std::string("VELMORA\\UNIT\\") + serial;
        device = new USBDevice(path.c_str(), id.c_str(), 1, std::move(t));
        device->addRef();
    }
    ~Unit() {
        device->close();
        device->release();
    }
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

    VelmoraModel model;
    ModelTransport* transport = nullptr;
    USBDevice* device = nullptr;
};

// The output converter's volume register of each output, and the register
// data of a volume (value with bit 7 set).
constexpr uint8_t VOLUME_REGISTER[8] = {4, 5, 6, 7, 8, 9, 11, 12};
constexpr uint8_t DIGITAL_FORMAT_REGISTER = 13;

// What a channel's volume register must hold for a record, from the volume
// law of the two output levels.
inline uint8_t expectedVolumeData(const PanelSettings& r, int ch) {
    int v = r.outVolume[ch];
    if (r.outputLevel == 1) {
        v -= 10;
        if (v < 0 || v > 127) v = 0;
    }
    if (r.outMute[ch]) v = 0;
    return uint8_t(v | 0x80);
}

// The unit's registers hold what the record asks for.
inline void expectUnitHolds(const VelmoraModel& m, const PanelSettings& r) {
    for (int ch = 0; ch < 8; ++ch)
        EXPECT_EQ(m.codec[VOLUME_REGISTER[ch]], expectedVolumeData(r, ch)) << "output " << ch;
    EXPECT_EQ(m.dit[DIGITAL_FORMAT_REGISTER], uint8_t(r.digitalFormat));
    EXPECT_EQ(m.digitalOutSelector, uint32_t(r.digitalOutSelector));
    EXPECT_EQ((m.cpld & VM_CPLD_DIGITAL_MON) != 0, r.cpldDigitalMon != 0);
    EXPECT_EQ((m.cpld & VM_CPLD_MIX_OUT_SEL) != 0, r.cpldMixOutSel != 0);
    // The other CPLD bits keep their power-on value.
    EXPECT_EQ(m.cpld & ~(VM_CPLD_DIGITAL_MON | VM_CPLD_MIX_OUT_SEL) & 0xFF,
              VM_CPLD_POWER_ON & ~(VM_CPLD_DIGITAL_MON | VM_CPLD_MIX_OUT_SEL));
    EXPECT_EQ(m.config[0], r.sampleRate);
    EXPECT_EQ(m.latency, uint32_t(r.latency));
}

using velmora_testing::defaults;

using velmora_testing::bytesOf;

inline bool sameBytes(const PanelSettings& a, const PanelSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The panel's main window without a window: the view, the store, the core and
// the two pages, added and selected as the window's initialisation does.
class Panel {
public:
    Panel() {
        control = new RecordingPage(pages, "control");
        info = new RecordingPage(pages, "info");
        core.pageList().add(control);
        core.pageList().add(info);
        core.pageList().select(0);
        view.calls.clear();
        pages.calls.clear();
    }

    // The record now in the store (zero-filled when there is none).
    PanelSettings stored() const {
        PanelSettings r;
        std::memset(&r, 0, sizeof r);
        if (store.value().size() == sizeof r) std::memcpy(&r, store.value().data(), sizeof r);
        return r;
    }
    void storeRecord(const PanelSettings& r) { store.setValue(bytesOf(r)); }

    void arrive(Unit& u) { core.onDeviceEvent(u.device, DEVICE_ARRIVED); }
    void remove(Unit& u) { core.onDeviceEvent(u.device, DEVICE_REMOVED); }
    void stateChanged(Unit& u) { core.onDeviceEvent(u.device, DEVICE_STATE_CHANGED); }

    // What the Control page does after a user change: apply its copy.
    void pageChangesVolumes(const PanelSettings& copy) {
        core.applyVolumes(copy);
        core.applyMixer(copy);
    }

    PageTrace pages;
    RecordingView view;
    MemorySettingsStore store;
    PanelCore core{view, store};
    RecordingPage* control = nullptr;
    RecordingPage* info = nullptr;
};

} // namespace testing_app
} // namespace velmora
