// The main window's logic, free of the platform: the master copy of the
// settings, the current unit and its lifecycle, applying records to the unit,
// the two timers, the menu commands, the radio pairs and the page list. The
// Win32 main window forwards its messages here and implements PanelView.
#pragma once

#include "app/PanelView.h"
#include "device/DeviceEvent.h"
#include "device/DeviceWire.h"
#include "device/VelmoraController.h"
#include "settings/PanelSettings.h"
#include "ui/PageList.h"
#include "ui/SettingsApplier.h"
#include "ui/UnitLabel.h"

#include <cstdint>

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

    // Applying settings: each compares the candidate with the master copy and
    // sends what differs to the open unit.
    void applyConfiguration(PanelSettings candidate);
    void applyLatency(PanelSettings candidate);
    void applyVolumes(PanelSettings candidate) override;
    void applyMixer(PanelSettings candidate) override;
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

    PageList& pageList() { return pageList_; }
    const PanelSettings& settings() const { return settings_; }
    USBDevice* currentDevice() const { return currentDevice_; }
    const MeterBlock& meterHistory() const { return meterHistory_; }
    const char* latencyText() const { return latencyText_; }
    VelmoraController& controller() { return controller_; }

    // One smoothing step of a meter byte: (block × 0.95 + history × 0.05),
    // both bytes signed, truncated toward zero.
    static int8_t smoothMeter(int8_t block, int8_t history);

private:
    bool unitOpen() const;
    void arrive(USBDevice* device);
    void remove(USBDevice* device);
    void stateChanged(USBDevice* device);
    void setTitle(bool connected);
    void setSampleRate(int32_t rate);
    void setOutputLevel(int level);
    void setDigitalFormat(int format);
    void selectControlTab();
    void selectInfoTab();
    void saveIfChanged();
    bool followUnit(int32_t deviceRate, int32_t deviceLatency);
    void writeMaster();

    PanelView& view_;
    SettingsStore& store_;
    PanelSettings settings_;
    PageList pageList_;
    VelmoraController controller_;
    USBDevice* currentDevice_ = nullptr;
    MeterBlock meterHistory_ = {};
    MeterBlock meterRead_ = {};
    char latencyText_[256] = {};
    // What was last written to the store, so that an unchanged master is not
    // written again.
    PanelSettings stored_;
    bool storedKnown_ = false;
    // The tray tip: which unit, at which rate.
    TrayTipState trayTip_;
};

} // namespace velmora
