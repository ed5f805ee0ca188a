// The main window's logic, free of the platform: the master copy of the
// settings, the current unit and its lifecycle, applying records to the unit,
// the two timers, the menu commands, the radio pairs and the page list. The
// Win32 main window forwards its messages here and implements PanelView.
#pragma once

#include "app/CurrentUnit.h"
#include "app/MenuCommands.h"
#include "app/MeterSmoothing.h"
#include "app/NoticeQueue.h"
#include "app/PanelEvents.h"
#include "app/PanelEventsFanout.h"
#include "app/PanelView.h"
#include "app/PowerAndSession.h"
#include "app/RefusedSends.h"
#include "app/SettingsKeeper.h"
#include "app/StatusColumn.h"
#include "app/TrayTipListener.h"
#include "app/UserChangeGate.h"
#include "device/DeviceEvent.h"
#include "device/DeviceWire.h"
#include "device/VelmoraController.h"
#include "settings/PanelSettings.h"
#include "ui/PageList.h"
#include "ui/SettingsApplier.h"

#include <cstdint>
#include <optional>

namespace velmora {

class SettingsStore;
class USBDevice;
struct RecordRepair;

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
    // Shows the record on the pages and the radio pairs and tells the
    // listeners.
    void publishSettings(PanelSettings record);
    void refreshFromDevice(PanelSettings record);
    void factoryDefault();
    // Writes the master copy to the store; a record the next load would
    // reject (the blank state among them) is never written.
    void saveSettings();

    // The host's sleep and the console session (the platform's codes, see
    // PowerAndSession), and whether the session has the console at start.
    void onPowerEvent(uint32_t event);
    void onSessionChange(uint32_t change);
    void startAtConsole(bool atConsole);
    // Another session has the console or the host sleeps: the unit is left
    // alone, and changes are not taken.
    bool leavesUnitAlone() const { return !attendance_.mayTouchUnit(); }

    // Window messages.
    void onTimer(unsigned id);
    void onMeterTimer();
    void onStatusTimer();
    void onCommand(unsigned id);
    void onClose();
    void onHideAtStart();
    void onDestroy();
    // The callback of PanelView::scheduleNotice: shows the next notice.
    void onNotice();

    // Who hears of the panel's changes besides the tray tip (none: nobody
    // else). PanelEventsFanout hands them on to several.
    void setEvents(PanelEvents* events);
    // Applies a whole record as one change, as Factory Default does after its
    // question: sent, stored, shown; then the unit's clock mode (0 "Auto", 1
    // "Internal Only"; another value leaves it). False without an open unit
    // or when the unit went away meanwhile; what the unit refused is in
    // refusedSends().
    bool applyRecord(const PanelSettings& record, int32_t clockMode);

    // One change of the user's settings in one step, as a page's change
    // (applyVolumes, then applyMixer) but not subject to the page's gate: the
    // caller has made sure no box is open. False when the unit went away
    // meanwhile. What the unit refused is in refusedSends().
    bool applyChange(const PanelSettings& candidate);
    // The menu's and the radio pairs' choices. Each answers whether the unit
    // took it (false without an open unit); a refused send is named in
    // refusedSends(), whether or not the user is told in a box.
    bool setSampleRate(int32_t rate);
    bool setLatency(int32_t latency);
    bool setClockMode(int32_t mode); // 0 "Auto", 1 "Internal Only"
    bool setOutputLevel(int level);
    bool setDigitalFormat(int format);
    // The tray's Open and the menus' Exit.
    void showPanel();
    void exitPanel();
    // The sends the unit refused during the run.
    const RefusedSends& refusedSends() const { return refused_; }
    // The unit's clock mode, or -1 without an open unit.
    int32_t unitClockMode();
    // A box of the panel is open (its loop may be running this very call).
    bool boxOpen() const { return gate_.boxOpen(); }

    PageList& pageList() { return pageList_; }
    const PanelSettings& settings() const { return settings_; }
    USBDevice* currentDevice() const { return unit_.get(); }
    const MeterBlock& meterHistory() const { return meters_.history(); }
    const char* latencyText() const { return latencyText_; }
    VelmoraController& controller() { return controller_; }

    // A box or dialog of the panel is open while one lives.
    class BoxScope;

    // The question Factory Default asks before it sets every output to 0.0 dB.
    static const char* const FACTORY_DEFAULT_QUESTION;

private:
    using Ticket = CurrentUnit::Ticket;
    // How an operation that may show message boxes ended.
    enum class Outcome { Completed, UnitLeft };
    // One bit per output whose volume frame failed.
    using ChannelMask = UserChangeGate::ChannelMask;

    // The unit is open and may be touched (the host is awake and the session
    // has the console).
    bool unitOpen() const { return unit_.isOpen() && attendance_.mayTouchUnit(); }
    void arrive(USBDevice* device);
    void takeStep(PowerAndSession::Step step);
    // Applies the user's record to the current unit again, as its arrival
    // did, and starts the timers.
    void applyRecordAgain();
    void startTimers();
    void stopTimers();
    // A user change that comes while the unit is left alone is not taken.
    bool refusedWhileLeftAlone();
    void remove(USBDevice* device);
    void stateChanged(USBDevice* device);
    template <typename Send>
    bool storeAndSend(int32_t PanelSettings::*field, int32_t value, Send send);
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
    // publishSettings without telling the listeners: they know the record.
    void showSettings(const PanelSettings& record);
    // A refused send the user is not shown a box for: recorded and logged.
    void noteRefused(const char* text);
    // The record is about to be sent: the store gets it first, so that a
    // kill at any moment leaves the old or the new record, never less.
    void writeAhead(const PanelSettings& candidate);
    void save(const PanelSettings& record);
    void saveIfChanged(const PanelSettings& record);
    void afterWrite(SaveResult result);
    // Queues a notice for the window's own loop (once per text and run).
    void postNotice(const std::string& text);
    // Logs a repaired stored record and tells the user after the arrival.
    void tellRepair(const RecordRepair& repair);

    PanelView& view_;
    SettingsStore& store_;
    SettingsKeeper keeper_;
    PanelSettings settings_;
    PageList pageList_;
    VelmoraController controller_;
    CurrentUnit unit_;
    MeterSmoothing meters_;
    PowerAndSession attendance_;
    MeterBlock meterRead_ = {};
    char latencyText_[256] = {};
    StatusColumn status_{view_};

    UserChangeGate gate_;
    TrayTipListener trayTip_{view_};
    PanelEventsFanout observers_; // the tray tip, then the listener set
    RefusedSends refused_;
    NoticeQueue notices_;
    bool quitting_ = false; // Exit was chosen: no more boxes
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
