#include "app/PanelCore.h"

#include "device/USBDevice.h"
#include "settings/ArrivalRecord.h"
#include "settings/SettingsStore.h"

#include <cstdio>
#include <cstring>

namespace velmora {

namespace {

const char* const TITLE_NO_DEVICE = "Velmora Control Panel - Ver %d.%02d - No Device";
const char* const TITLE_CONNECTED = "Velmora Control Panel - Ver %d.%02d";

const char* const ERROR_SET_CONFIGURATION = "Function error USBDevice::setConfiguration()";
const char* const ERROR_SET_OUT_VOLUME = "Function error VelmoraController::setOutVolume()";
const char* const ERROR_SET_DIGITAL_FORMAT = "Function error VelmoraController::setDigitalFormat()";
const char* const ERROR_SET_DIGITAL_OUT_SELECTOR = "Function error USBDevice::setDigitalOutSelector()";
const char* const ERROR_SET_CPLD_DIGITAL_MON = "Function error USBDevice::setVelCpldDigitalMon()";
const char* const ERROR_SET_CPLD_MIX_OUT_SEL = "Function error USBDevice::setVelCpldMixOutSel()";

// The rate menu items in the order of the rates 44100, 48000, 88200, 96000.
const unsigned RATE_ITEMS[4] = {CMD_RATE_44100, CMD_RATE_48000, CMD_RATE_88200, CMD_RATE_96000};
const int32_t RATES[4] = {44100, 48000, 88200, 96000};

const char* clockText(int32_t clock) {
    switch (clock) {
    case 0: return "Auto";
    case 1: return "Internal";
    case 2: return "Digital";
    default: return "";
    }
}

bool sameRecord(const PanelSettings& a, const PanelSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

PanelCore::PanelCore(PanelView& view, SettingsStore& store) : view_(view), store_(store) {
    makeBlank(settings_);
    makeBlank(stored_);
}

PanelCore::~PanelCore() {
    // The window is normally destroyed first (onDestroy); a unit still held
    // here loses its reference all the same.
    if (currentDevice_) {
        controller_.setSender(nullptr, nullptr);
        currentDevice_->close();
        currentDevice_->release();
        currentDevice_ = nullptr;
    }
}

void PanelCore::deviceCallback(void* context, USBDevice* device, DeviceEvent event) {
    if (!context) return;
    static_cast<PanelCore*>(context)->onDeviceEvent(device, event);
}

bool PanelCore::unitOpen() const { return currentDevice_ && currentDevice_->isOpen(); }

// ---------------------------------------------------------------------------
// Device lifecycle

void PanelCore::onDeviceEvent(USBDevice* device, DeviceEvent event) {
    switch (event) {
    case DEVICE_ARRIVED: arrive(device); break;
    case DEVICE_REMOVED: remove(device); break;
    case DEVICE_STATE_CHANGED: stateChanged(device); break;
    default: break;
    }
}

void PanelCore::setTitle(bool connected) {
    char title[96];
    std::snprintf(title, sizeof title, connected ? TITLE_CONNECTED : TITLE_NO_DEVICE,
                  PANEL_VERSION_MAJOR, PANEL_VERSION_MINOR);
    view_.setTitle(title);
}

void PanelCore::arrive(USBDevice* device) {
    if (currentDevice_ || !device) return; // a second unit is not taken
    currentDevice_ = device;
    device->addRef();
    setTitle(false);
    if (!device->open()) return; // Unopened: nothing applied, no timer

    controller_.setSender(sendStepsToDevice, device);

    const PanelSettings record = chooseArrivalRecord(store_, device);

    pageList_.sendDevice(device);

    // The master copy describes no unit now: every setting of the record is
    // sent, whatever a page may have stored while no unit was there.
    makeBlank(settings_);
    applyConfiguration(record);
    applyLatency(record);
    applyVolumes(record);
    applyMixer(record);
    publishSettings(settings_);

    setTitle(true);
    view_.showTrayIcon(true);
    view_.startTimer(METER_TIMER, METER_PERIOD_MS);
    view_.startTimer(STATUS_TIMER, STATUS_PERIOD_MS);

    trayTip_.setUnit(unitSerial(device->instanceId().c_str()));
    view_.setTrayTip(trayTip_.text().c_str());
}

void PanelCore::remove(USBDevice* device) {
    if (!currentDevice_ || device != currentDevice_) return;
    view_.stopTimer(METER_TIMER);
    device->close();
    device->release();
    currentDevice_ = nullptr;
    setTitle(false);
    controller_.setSender(nullptr, nullptr);
    saveSettings();
    makeBlank(settings_);
    view_.showWindow(false);
    view_.showTrayIcon(false);

    trayTip_.setUnit(std::string());
    view_.setTrayTip(trayTip_.text().c_str());
}

void PanelCore::stateChanged(USBDevice* device) {
    if (!device || device != currentDevice_) return;
    int32_t config[5] = {};
    if (device->getConfiguration(config)) {
        // A rate outside the four would make the next load throw the whole
        // stored record away: such a rate is not taken into the record.
        if (isValidSampleRate(config[0])) settings_.sampleRate = config[0];
        settings_.inputChannels = config[1];
        settings_.outputChannels = config[3];
    }
    const int32_t latency = device->getLatency();
    if (latency >= 1) settings_.latency = latency;
    saveSettings();
    publishSettings(settings_);
}

// ---------------------------------------------------------------------------
// Applying settings

void PanelCore::applyConfiguration(PanelSettings candidate) {
    if (settings_.sampleRate == candidate.sampleRate && settings_.inputChannels == 18) return;
    if (!unitOpen()) return;
    int32_t config[5] = {};
    if (!currentDevice_->getConfiguration(config)) {
        // Without the unit's own values there is nothing sound to send: the
        // rate is not set, and the user is told so.
        view_.showError(ERROR_SET_CONFIGURATION);
        return;
    }
    const int32_t request[5] = {candidate.sampleRate, 18, config[2], config[3], config[4]};
    int32_t answer[5] = {};
    if (!currentDevice_->setConfiguration(request, answer)) view_.showError(ERROR_SET_CONFIGURATION);
}

void PanelCore::applyLatency(PanelSettings candidate) {
    if (settings_.latency == candidate.latency || !unitOpen()) return;
    currentDevice_->setLatency(candidate.latency);
}

void PanelCore::applyVolumes(PanelSettings candidate) {
    if (!unitOpen()) return;
    const bool levelChanged = candidate.outputLevel != settings_.outputLevel;
    bool anyDue = false;
    for (int channel = 0; channel < OUTPUT_COUNT; ++channel) {
        const bool due = levelChanged || candidate.outVolume[channel] != settings_.outVolume[channel] ||
                         candidate.outMute[channel] != settings_.outMute[channel];
        if (!due) continue;
        anyDue = true;
        int value;
        if (candidate.outputLevel == 0) {
            value = candidate.outVolume[channel];
        } else if (candidate.outputLevel == 1) {
            value = int(candidate.outVolume[channel]) - 10;
            if (value > 127 || value < 0) value = 0;
        } else {
            continue; // no level, no volume
        }
        if (candidate.outMute[channel]) value = 0;
        if (!controller_.setOutVolume(channel, uint8_t(value))) view_.showError(ERROR_SET_OUT_VOLUME);
    }
    // The master itself is unchanged here; its caller makes the candidate the
    // master and saves it (applyMixer, the output-level buttons).
    if (anyDue) saveIfChanged();
}

void PanelCore::applyMixer(PanelSettings candidate) {
    const PanelSettings before = settings_;
    bool sent = false;
    if (unitOpen()) {
        USBDevice& device = *currentDevice_;
        if (candidate.digitalFormat != before.digitalFormat) {
            if (!controller_.setDigitalFormat(candidate.digitalFormat)) view_.showError(ERROR_SET_DIGITAL_FORMAT);
            sent = true;
        }
        if (candidate.digitalOutSelector != before.digitalOutSelector) {
            if (!device.setDigitalOutSelector(candidate.digitalOutSelector))
                view_.showError(ERROR_SET_DIGITAL_OUT_SELECTOR);
            sent = true;
        }
        if (candidate.cpldDigitalMon != before.cpldDigitalMon) {
            if (device.setVelCpldDigitalMon(candidate.cpldDigitalMon != 0))
                candidate.cpldDigitalMon = device.getCpldDigitalMon() ? 1 : 0;
            else
                view_.showError(ERROR_SET_CPLD_DIGITAL_MON);
            sent = true;
        }
        if (candidate.cpldMixOutSel != before.cpldMixOutSel) {
            if (device.setVelCpldMixOutSel(candidate.cpldMixOutSel != 0))
                candidate.cpldMixOutSel = device.getCpldMixOutSel() ? 1 : 0;
            else
                view_.showError(ERROR_SET_CPLD_MIX_OUT_SEL);
            sent = true;
        }
    }
    refreshFromDevice(before);
    // The refresh may have brought the master's rate and latency in line with
    // the unit; the accepted record keeps them.
    if (settings_.sampleRate != before.sampleRate) candidate.sampleRate = settings_.sampleRate;
    if (settings_.latency != before.latency) candidate.latency = settings_.latency;
    settings_ = candidate;
    publishSettings(settings_);
    if (!unitOpen()) return;
    // The accepted record reaches the store at once, also when only a volume
    // or a mute changed (applyVolumes sent those before the master took them).
    if (sent) saveSettings();
    else saveIfChanged();
}

void PanelCore::publishSettings(PanelSettings record) {
    pageList_.sendSettings(record);
    view_.setRadioCheck(ID_FORMAT_CONSUMER, false);
    view_.setRadioCheck(ID_FORMAT_PROFESSIONAL, false);
    view_.setRadioCheck(ID_LEVEL_BALANCED, false);
    view_.setRadioCheck(ID_LEVEL_UNBALANCED, false);
    // A damaged record with a value outside 0 and 1 names no button.
    if (record.digitalFormat == 0 || record.digitalFormat == 1)
        view_.setRadioCheck(ID_FORMAT_CONSUMER + unsigned(record.digitalFormat), true);
    if (record.outputLevel == 0 || record.outputLevel == 1)
        view_.setRadioCheck(ID_LEVEL_BALANCED + unsigned(record.outputLevel), true);
}

void PanelCore::refreshFromDevice(PanelSettings record) {
    USBDevice* device = unitOpen() ? currentDevice_ : nullptr;

    int32_t rate = record.sampleRate;
    int32_t inputs = record.inputChannels;
    int32_t outputs = record.outputChannels;
    bool deviceRateKnown = false;
    int32_t config[5] = {};
    if (device && device->getConfiguration(config)) {
        rate = config[0];
        inputs = config[1];
        outputs = config[3];
        deviceRateKnown = true;
    }

    int32_t clock = record.clockStatus;
    int32_t status = 0, second = 0;
    if (device && device->getClockStatus(status, second) && (status == 1 || status == 2)) clock = status;

    int32_t latency = record.latency;
    const int32_t deviceLatency = device ? device->getLatency() : 0;
    if (deviceLatency >= 1) {
        latency = deviceLatency;
        char name[256];
        if (device->getLatencyName(deviceLatency - 1, name) != 0) {
            name[255] = '\0';
            std::memcpy(latencyText_, name, sizeof latencyText_);
        }
    }

    char text[64];
    view_.setStatusText(0, "Velmora HS");
    view_.setStatusText(1, clockText(clock));
    std::snprintf(text, sizeof text, "%d Hz", int(rate));
    view_.setStatusText(2, text);
    view_.setStatusText(3, latencyText_);
    std::snprintf(text, sizeof text, "%dCH / 24 Bit", int(inputs));
    view_.setStatusText(4, text);
    std::snprintf(text, sizeof text, "%dCH / 24 Bit", int(outputs));
    view_.setStatusText(5, text);

    if (device && trayTip_.setRate(rate)) view_.setTrayTip(trayTip_.text().c_str());

    for (unsigned item : RATE_ITEMS) view_.setMenuCheck(item, false);
    if (device) {
        for (int i = 0; i < 4; ++i)
            if (rate == RATES[i]) view_.setMenuCheck(RATE_ITEMS[i], true);
    }

    for (unsigned item = CMD_LATENCY_FIRST; item <= CMD_LATENCY_LAST; ++item) view_.setMenuCheck(item, false);
    if (device && latency >= 1 && latency <= 6) view_.setMenuCheck(CMD_RATE_96000 + unsigned(latency), true);

    view_.setMenuCheck(CMD_CLOCK_AUTO, false);
    view_.setMenuCheck(CMD_CLOCK_INTERNAL, false);
    if (device) {
        const int32_t mode = device->getClockMode();
        if (mode == 0) view_.setMenuCheck(CMD_CLOCK_AUTO, true);
        else if (mode == 1) view_.setMenuCheck(CMD_CLOCK_INTERNAL, true);
    }

    if (device) followUnit(deviceRateKnown ? rate : 0, deviceLatency);
}

bool PanelCore::followUnit(int32_t deviceRate, int32_t deviceLatency) {
    // The unit runs at another rate or latency than the master says (a menu
    // command whose state event has not come, or never comes for a latency):
    // the master follows the unit, so that the store keeps what the user
    // chose. Only a master that holds a unit's record follows, only to values
    // the next load accepts, and it is written once, not on every tick.
    if (!isValidSampleRate(settings_.sampleRate)) return false;
    bool followed = false;
    if (isValidSampleRate(deviceRate) && deviceRate != settings_.sampleRate) {
        settings_.sampleRate = deviceRate;
        followed = true;
    }
    if (deviceLatency >= 1 && deviceLatency <= 6 && deviceLatency != settings_.latency) {
        settings_.latency = deviceLatency;
        followed = true;
    }
    if (followed) saveSettings();
    return followed;
}

void PanelCore::factoryDefault() {
    if (!unitOpen()) return;
    // Compare the defaults with what the unit really runs at, so that a rate
    // or latency chosen from the menu a moment ago is reset too.
    int32_t config[5] = {};
    const bool configRead = currentDevice_->getConfiguration(config);
    followUnit(configRead ? config[0] : 0, currentDevice_->getLatency());

    PanelSettings record;
    makeDefaultSettings(record, currentDevice_);
    applyConfiguration(record);
    applyLatency(record);
    applyVolumes(record);
    applyMixer(record);
    publishSettings(settings_);
    currentDevice_->setClockMode(0);
}

// ---------------------------------------------------------------------------
// Persistence

void PanelCore::saveSettings() {
    // The blank state, and any record whose rate the next load would refuse,
    // would replace the user's stored settings with nothing usable.
    if (isBlank(settings_) || !isValidSampleRate(settings_.sampleRate)) return;
    writeMaster();
}

void PanelCore::saveIfChanged() {
    if (storedKnown_ && sameRecord(stored_, settings_)) return;
    saveSettings();
}

void PanelCore::writeMaster() {
    const SaveResult result = ::velmora::saveSettings(store_, settings_);
    if (result == SaveResult::Written) {
        stored_ = settings_;
        storedKnown_ = true;
    } else if (result == SaveResult::Failed) {
        storedKnown_ = false; // the next save writes again
    }
}

// ---------------------------------------------------------------------------
// Timers

int8_t PanelCore::smoothMeter(int8_t block, int8_t history) {
    // Single-precision constants, exact products and sum in double; the two
    // constants add up to slightly less than 1, so a steady v settles at v - 1.
    static constexpr double NEW_WEIGHT = double(0.95f);
    static constexpr double OLD_WEIGHT = double(0.05f);
    return int8_t(int(double(block) * NEW_WEIGHT + double(history) * OLD_WEIGHT));
}

void PanelCore::onTimer(unsigned id) {
    if (id == METER_TIMER) onMeterTimer();
    else if (id == STATUS_TIMER) onStatusTimer();
}

void PanelCore::onMeterTimer() {
    if (!currentDevice_) {
        std::memset(meterHistory_.level, 0, sizeof meterHistory_.level);
        return;
    }
    if (!currentDevice_->readMeters(meterRead_.level)) return;
    for (uint32_t i = 0; i < METER_BLOCK_SIZE; ++i) {
        meterHistory_.level[i] = uint8_t(smoothMeter(int8_t(meterRead_.level[i]), int8_t(meterHistory_.level[i])));
    }
    pageList_.sendMeters(meterHistory_);
}

void PanelCore::onStatusTimer() {
    if (!currentDevice_) return;
    const int32_t rateBefore = settings_.sampleRate;
    const int32_t latencyBefore = settings_.latency;
    refreshFromDevice(settings_);
    // The master followed the unit: the pages get the same record, so that
    // the next record a page hands back carries it too.
    if (settings_.sampleRate != rateBefore || settings_.latency != latencyBefore) publishSettings(settings_);
}

// ---------------------------------------------------------------------------
// Commands

void PanelCore::selectControlTab() {
    view_.setTabCheck(ID_TAB_CONTROL, 1);
    view_.setTabCheck(ID_TAB_INFO, 0);
    pageList_.select(0);
}

void PanelCore::selectInfoTab() {
    view_.setTabCheck(ID_TAB_CONTROL, 0);
    view_.setTabCheck(ID_TAB_INFO, 1);
    pageList_.select(1);
}

void PanelCore::setSampleRate(int32_t rate) {
    if (!unitOpen()) return;
    int32_t config[5] = {};
    // Without the unit's current values nothing sound can be sent.
    if (!currentDevice_->getConfiguration(config)) return;
    config[0] = rate;
    int32_t answer[5] = {};
    currentDevice_->setConfiguration(config, answer);
}

void PanelCore::setOutputLevel(int level) {
    view_.setRadioCheck(ID_LEVEL_BALANCED, false);
    view_.setRadioCheck(ID_LEVEL_UNBALANCED, false);
    view_.setRadioCheck(ID_LEVEL_BALANCED + unsigned(level), true);
    // A unit that did not open holds no settings: a record made from the
    // blank master would be no record at all.
    if (!unitOpen()) return;
    PanelSettings record = settings_;
    record.outputLevel = level;
    applyVolumes(record);
    publishSettings(record);
    settings_.outputLevel = level;
    saveIfChanged();
}

void PanelCore::setDigitalFormat(int format) {
    view_.setRadioCheck(ID_FORMAT_CONSUMER, false);
    view_.setRadioCheck(ID_FORMAT_PROFESSIONAL, false);
    view_.setRadioCheck(ID_FORMAT_CONSUMER + unsigned(format), true);
    if (!unitOpen()) return;
    PanelSettings record = settings_;
    record.digitalFormat = format;
    applyMixer(record);
}

void PanelCore::onCommand(unsigned id) {
    switch (id) {
    case CMD_OPEN:
        selectControlTab();
        view_.showWindow(true);
        break;
    case CMD_EXIT: view_.quit(); break;
    case CMD_FACTORY_DEFAULT: factoryDefault(); break;
    case CMD_RATE_44100: setSampleRate(44100); break;
    case CMD_RATE_48000: setSampleRate(48000); break;
    case CMD_RATE_88200: setSampleRate(88200); break;
    case CMD_RATE_96000: setSampleRate(96000); break;
    case CMD_CLOCK_AUTO:
        if (unitOpen()) currentDevice_->setClockMode(0);
        break;
    case CMD_CLOCK_INTERNAL:
        if (unitOpen()) currentDevice_->setClockMode(1);
        break;
    case ID_TAB_CONTROL: selectControlTab(); break;
    case ID_TAB_INFO: selectInfoTab(); break;
    case ID_TAB_UNUSED: break;
    case ID_LEVEL_BALANCED:
    case ID_LEVEL_UNBALANCED: setOutputLevel(int(id & 0xF)); break;
    case ID_FORMAT_CONSUMER:
    case ID_FORMAT_PROFESSIONAL: setDigitalFormat(int(id & 0xF)); break;
    default:
        if (id >= CMD_LATENCY_FIRST && id <= CMD_LATENCY_LAST) {
            if (unitOpen()) currentDevice_->setLatency(int32_t(id - CMD_RATE_96000));
        }
        break;
    }
}

void PanelCore::onClose() { view_.showWindow(false); }

void PanelCore::onHideAtStart() { view_.showWindow(false); }

void PanelCore::onDestroy() {
    saveSettings();
    controller_.setSender(nullptr, nullptr);
    if (currentDevice_) {
        currentDevice_->close();
        currentDevice_->release();
        currentDevice_ = nullptr;
    }
    view_.stopListener();
}

} // namespace velmora
