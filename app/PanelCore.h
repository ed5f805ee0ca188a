// The main window's logic, free of the platform: the master copy of the
// settings, the current unit and its lifecycle, applying records to the unit,
// the two timers, the menu commands, the radio pairs and the page list. The
// Win32 main window forwards its messages here and implements PanelView.
#pragma once

#include "app/CurrentUnit.h"
#include "app/PanelEvents.h"
#include "app/PanelView.h"
#include "app/SettingsKeeper.h"
#include "app/StatusColumn.h"
#include "app/UserChangeGate.h"
#include "device/DeviceEvent.h"
#include "device/DeviceWire.h"
#include "device/VelmoraController.h"
#include "settings/PanelSettings.h"
#include "ui/PageList.h"
#include "ui/SettingsApplier.h"
#include "ui/UnitLabel.h"

#include <cstdint>
#include <optional>

namespace velmora {

class SettingsStore;
class USBDevice;

// Main-window control and command ids that the logic handles.
enum PanelId : unsigned {
    ID_TAB_CONTROL = 8192,
    ID_TAB_UNUSED = 8193,
    ID_TAB_INFO = 8194,
    ID_LEVEL_BALANCED = 16416,   // "+ 4dBv(Balanced)"
    ID_LEVEL_UNBALANCED = 16417, // "-10dBv(Unbalanced)"
    ID_FORMAT_CONSUMER = 16432,  // "Consumer"
    ID_FORMAT_PROFESSIONAL = 16433, // "Professional"
    CMD_OPEN = 32771,
    CMD_EXIT = 32773,
    CMD_FACTORY_DEFAULT = 32774,
    CMD_RATE_44100 = 32776,
    CMD_RATE_48000 = 32777,
    CMD_RATE_96000 = 32778,
    CMD_LATENCY_FIRST = 32779, // 32779..32784: latency 1..6
    CMD_LATENCY_LAST = 32784,
    CMD_RATE_88200 = 32785,
    CMD_CLOCK_AUTO = 32786,
    CMD_CLOCK_INTERNAL = 32787,
};

enum PanelTimer : unsigned {
    METER_TIMER = 1,
    METER_PERIOD_MS = 50,
    STATUS_TIMER = 2,
    STATUS_PERIOD_MS = 500,
};

class PanelCore : public SettingsApplier {
public:
    PanelCore(PanelView& view, SettingsStore& store);
    ~PanelCore() override;

    PanelCore(const PanelCore&) = delete;
    PanelCore& operator=(const PanelCore&) = delete;

    // The listener's callback: context is the PanelCore (none: nothing happens).
    static void deviceCallback(void* context, USBDevice* device, DeviceEvent event);
    void onDeviceEvent(USBDevice* device, DeviceEvent event);

    // A page's change: each compares the candidate with the master copy and
    // sends what differs to the open unit. A change that comes in while a
    // message box of the panel is open (input queued before the box) is not
    // taken; the pages are shown the accepted record again once the box closes.
    void applyVolumes(PanelSettings candidate) override;
    void applyMixer(PanelSettings candidate) override;
    // The rest of the apply family, as the arrival and Factory Default run it.
    void applyConfiguration(PanelSettings candidate);
    void applyLatency(PanelSettings candidate);
    void publishSettings(PanelSettings record);
    void refreshFromDevice(PanelSettings record);
    void factoryDefault();
    // Writes the master copy to the store; a record the next load would
    // reject (the blank state among them) is never written.
    void saveSettings();

    // Window messages.
    void onTimer(unsigned id);
    void onMeterTimer();
    void onStatusTimer();
    void onCommand(unsigned id);
    void onClose();
    void onHideAtStart();
    void onDestroy();
    // The callback of PanelView::scheduleNotice.
    void onNotice();

    // Who hears of arrivals, removals, failed sends and saves (none: nobody).
    void setEvents(PanelEvents* events) { events_ = events; }
    // Applies a whole record as one change, as Factory Default does after its
    // question: sent, stored, shown; then the unit's clock mode (0 "Auto", 1
    // "Internal Only"; another value leaves it). Nothing without an open unit.
    void applyRecord(const PanelSettings& record, int32_t clockMode);
    // The unit's clock mode, or -1 without an open unit.
    int32_t unitClockMode();
    // A box of the panel is open (its loop may be running this very call).
    bool boxOpen() const { return gate_.boxOpen(); }

    PageList& pageList() { return pageList_; }
    const PanelSettings& settings() const { return settings_; }
    USBDevice* currentDevice() const { return unit_.get(); }
    const MeterBlock& meterHistory() const { return meterHistory_; }
    const char* latencyText() const { return latencyText_; }
    VelmoraController& controller() { return controller_; }

    // A box or dialog of the panel is open while one lives.
    class BoxScope;

    // The question Factory Default asks before it sets every output to 0.0 dB.
    static const char* const FACTORY_DEFAULT_QUESTION;

    // One smoothing step of a meter byte: (block × 0.95 + history × 0.05),
    // both bytes signed, truncated toward zero.
    static int8_t smoothMeter(int8_t block, int8_t history);

private:
    using Ticket = CurrentUnit::Ticket;
    // How an operation that may show message boxes ended.
    enum class Outcome { Completed, UnitLeft };
    // One bit per output whose volume frame failed.
    using ChannelMask = UserChangeGate::ChannelMask;

    bool unitOpen() const { return unit_.isOpen(); }
    void arrive(USBDevice* device);
    void remove(USBDevice* device);
    void stateChanged(USBDevice* device);
    void setTitle(bool connected);
    void setSampleRate(int32_t rate);
    void setLatency(int32_t latency);
    template <typename Send>
    void storeAndSend(int32_t PanelSettings::*field, int32_t value, Send send);
    void setOutputLevel(int level);
    void setDigitalFormat(int format);
    void selectControlTab();
    void selectInfoTab();
    bool followUnit(int32_t deviceRate, int32_t deviceLatency);

    // The apply operations proper. Each answers UnitLeft when the unit it
    // started on went away while one of its boxes was open; it then sends
    // nothing more, shows no more boxes and leaves the master as it is.
    Outcome sendConfiguration(const PanelSettings& candidate, Ticket ticket);
    void sendLatency(const PanelSettings& candidate);
    Outcome sendVolumes(const PanelSettings& candidate, Ticket ticket, ChannelMask& failed);
    Outcome commitMixer(PanelSettings candidate, Ticket ticket, ChannelMask failedVolumes);
    Outcome applyAll(const PanelSettings& record, Ticket ticket);

    // Shows a failure box; true when the operation of `ticket` may go on.
    bool tell(const char* text, Ticket ticket);
    // The record is about to be sent: the store gets it first, so that a
    // kill at any moment leaves the old or the new record, never less.
    void writeAhead(const PanelSettings& candidate);
    void save(const PanelSettings& record);
    void saveIfChanged(const PanelSettings& record);
    void afterWrite(SaveResult result);

    PanelView& view_;
    SettingsStore& store_;
    SettingsKeeper keeper_;
    PanelSettings settings_;
    PageList pageList_;
    VelmoraController controller_;
    CurrentUnit unit_;
    MeterBlock meterHistory_ = {};
    MeterBlock meterRead_ = {};
    char latencyText_[256] = {};
    StatusColumn status_{view_};

    UserChangeGate gate_;
    PanelEvents* events_ = nullptr;
    bool quitting_ = false; // Exit was chosen: no more boxes
    // The tray tip: which unit, at which rate.
    TrayTipState trayTip_;
};

// A message box or dialog of the panel is open while this lives (the panel's
// own boxes, and those its window shows: file dialogs, the about box). User
// changes and requests that come in meanwhile are turned away; when the last
// box closes the pages are shown the accepted record again.
class PanelCore::BoxScope {
public:
    explicit BoxScope(PanelCore& core);
    ~BoxScope();
    BoxScope(const BoxScope&) = delete;
    BoxScope& operator=(const BoxScope&) = delete;

private:
    PanelCore& core_;
    std::optional<UserChangeGate::Box> box_;
};

} // namespace velmora
