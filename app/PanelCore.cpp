#include "app/PanelCore.h"

#include "app/MenuChecks.h"
#include "app/PanelTitle.h"
#include "app/RepairNotice.h"
#include "device/USBDevice.h"
#include "settings/ArrivalRecord.h"
#include "settings/SampleRates.h"
#include "settings/SettingsRepair.h"
#include "settings/SettingsStore.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace velmora {

namespace {

const char* const ERROR_SET_CONFIGURATION = "Function error USBDevice::setConfiguration()";
const char* const ERROR_SET_OUT_VOLUME = "Function error VelmoraController::setOutVolume()";
const char* const ERROR_SET_DIGITAL_FORMAT = "Function error VelmoraController::setDigitalFormat()";
const char* const ERROR_SET_DIGITAL_OUT_SELECTOR = "Function error USBDevice::setDigitalOutSelector()";
const char* const ERROR_SET_CPLD_DIGITAL_MON = "Function error USBDevice::setVelCpldDigitalMon()";
const char* const ERROR_SET_CPLD_MIX_OUT_SEL = "Function error USBDevice::setVelCpldMixOutSel()";
static_assert(sizeof RATE_MENU_ITEMS / sizeof RATE_MENU_ITEMS[0] == SAMPLE_RATE_COUNT, "a menu item per rate");

// Refusals the user is not shown a box for, named the same way.
const char* const ERROR_GET_CONFIGURATION = "Function error USBDevice::getConfiguration()";
const char* const ERROR_SET_LATENCY = "Function error USBDevice::setLatency()";
const char* const ERROR_SET_CLOCK_MODE = "Function error USBDevice::setClockMode()";

} // namespace

const char* const PanelCore::FACTORY_DEFAULT_QUESTION =
    "Factory Default sets all eight outputs to 0.0 dB (full volume), unmutes them and resets the "
    "sample rate, latency, clock and S/PDIF settings.\n\nLower your speakers and headphones first. "
    "Reset to the factory defaults now?";

PanelCore::BoxScope::BoxScope(PanelCore& core) : core_(core), box_(core.gate_) {}

PanelCore::BoxScope::~BoxScope() {
    box_.reset();
    if (core_.gate_.takeTurnedAway() && SettingsKeeper::isStorable(core_.settings_))
        core_.showSettings(core_.settings_); // its listeners know it already
}

PanelCore::PanelCore(PanelView& view, SettingsStore& store) : view_(view), store_(store), keeper_(store) {
    makeBlank(settings_);
    setEvents(nullptr);
}

void PanelCore::setEvents(PanelEvents* events) {
    observers_ = PanelEventsFanout();
    observers_.add(&trayTip_);
    observers_.add(events);
}

PanelCore::~PanelCore() {
    controller_.setSender(nullptr, nullptr);
}

void PanelCore::deviceCallback(void* context, USBDevice* device, DeviceEvent event) {
    if (!context) return;
    static_cast<PanelCore*>(context)->onDeviceEvent(device, event);
}

// ---------------------------------------------------------------------------
// Boxes and user input

bool PanelCore::tell(const char* text, Ticket ticket) {
    // After Exit the run is ending: what is left of the operation goes on
    // without boxes (a box would close at once on the quit message anyway).
    refused_.add(text);
    if (unit_.get()) observers_.sendFailed(*unit_.get(), text);
    if (!quitting_) {
        BoxScope box(*this);
        view_.showError(text);
    }
    return unit_.holds(ticket);
}

void PanelCore::noteRefused(const char* text) {
    refused_.add(text);
    if (unit_.get()) observers_.sendFailed(*unit_.get(), text);
}

// ---------------------------------------------------------------------------
// Device lifecycle

void PanelCore::onDeviceEvent(USBDevice* device, DeviceEvent event) {
    gate_.forgetFirstHalf();
    switch (event) {
    case DEVICE_ARRIVED: arrive(device); break;
    case DEVICE_REMOVED: remove(device); break;
    case DEVICE_STATE_CHANGED: stateChanged(device); break;
    case DEVICE_UNITS_SCANNED:
        // The units were looked for after a wake: a unit that came back
        // meanwhile has arrived and taken the record; one that stayed gets it now.
        if (attendance_.applyDue()) applyRecordAgain();
        break;
    default: break;
    }
}

void PanelCore::arrive(USBDevice* device) {
    if (unit_.get() || !device) return; // a second unit is not taken
    unit_.take(device);
    const Ticket ticket = unit_.ticket();
    view_.setTitle(panelTitle(false).c_str());
    if (!device->open()) {
        // Unopened: nothing applied, no timer.
        observers_.unitNotOpened(*device);
        return;
    }

    controller_.setSender(sendStepsToDevice, device);

    RecordRepair repair;
    const PanelSettings record = chooseArrivalRecord(store_, device, &repair);

    pageList_.sendDevice(device);

    // The master copy describes no unit now: every setting of the record is
    // sent, whatever a page may have stored while no unit was there.
    makeBlank(settings_);
    const bool applied = attendance_.mayTouchUnit();
    if (applied) {
        if (applyAll(record, ticket) == Outcome::UnitLeft) {
            tellRepair(repair);
            return;
        }
        attendance_.recordApplied();
    } else {
        // The host sleeps or another session has the console: the unit is
        // left alone, and gets the record once it may be touched again.
        settings_ = record;
        showSettings(settings_);
    }

    view_.setTitle(panelTitle(true).c_str());
    view_.showTrayIcon(true);
    if (applied) startTimers();

    observers_.unitArrived(*device, settings_);
    tellRepair(repair);
}

void PanelCore::tellRepair(const RecordRepair& repair) {
    if (!repair.any()) return;
    observers_.recordRepaired(repair);
    // Posted now that the arrival is over, so that none of its boxes shows it.
    postNotice(repairNoticeText(repair));
}

void PanelCore::applyRecordAgain() {
    if (!attendance_.mayTouchUnit()) return;
    if (!unit_.isOpen()) {
        // No unit to apply it to: the next arrival applies the record.
        attendance_.recordApplied();
        return;
    }
    const Ticket ticket = unit_.ticket();
    // The master is the user's record: nothing the unit reported was taken
    // into it since the record was last applied. A master that holds none
    // (the unit came while it was left alone) gives way to the stored one.
    const PanelSettings record =
        SettingsKeeper::isStorable(settings_) ? settings_ : chooseArrivalRecord(store_, unit_.get());
    // Every setting is sent: the unit may have lost them all.
    makeBlank(settings_);
    if (applyAll(record, ticket) == Outcome::UnitLeft) return;
    attendance_.recordApplied();
    startTimers();
    observers_.recordReapplied(*unit_.get(), settings_);
}

bool PanelCore::refusedWhileLeftAlone() {
    // The unit is another session's meanwhile, or the host sleeps: a change
    // is neither sent nor taken into the user's record; the pages and the
    // radio pairs show the record again.
    if (!unit_.isOpen() || attendance_.mayTouchUnit()) return false;
    showSettings(settings_);
    return true;
}

void PanelCore::startTimers() {
    if (attendance_.metersWanted()) view_.startTimer(METER_TIMER, METER_PERIOD_MS);
    view_.startTimer(STATUS_TIMER, STATUS_PERIOD_MS);
}

void PanelCore::stopTimers() {
    view_.stopTimer(METER_TIMER);
    view_.stopTimer(STATUS_TIMER);
}

void PanelCore::onPowerEvent(uint32_t event) { takeStep(attendance_.onPower(event)); }

void PanelCore::onSessionChange(uint32_t change) {
    takeStep(attendance_.onSession(change));
    trayTip_.setAway(!attendance_.atConsole());
    view_.holdEventPolls(!attendance_.atConsole());
}

void PanelCore::startAtConsole(bool atConsole) {
    attendance_.startAtConsole(atConsole);
    trayTip_.setAway(!atConsole);
    view_.holdEventPolls(!atConsole);
}

void PanelCore::takeStep(PowerAndSession::Step step) {
    using Step = PowerAndSession::Step;
    switch (step) {
    case Step::None: break;
    case Step::LetGo: stopTimers(); break;
    case Step::LookForUnit:
        stopTimers();
        view_.lookForUnits();
        break;
    case Step::ApplyRecord: applyRecordAgain(); break;
    case Step::MetersOff:
    case Step::MetersOn:
        // No frame read before the lock is shown after it: the meters rest
        // until the first fresh read.
        view_.stopTimer(METER_TIMER);
        meters_.clear();
        pageList_.sendMeters(meters_.history());
        if (unit_.isOpen() && attendance_.metersWanted()) view_.startTimer(METER_TIMER, METER_PERIOD_MS);
        break;
    }
}

PanelCore::Outcome PanelCore::applyAll(const PanelSettings& record, Ticket ticket) {
    if (sendConfiguration(record, ticket) == Outcome::UnitLeft) return Outcome::UnitLeft;
    sendLatency(record);
    ChannelMask failed = 0;
    if (sendVolumes(record, ticket, failed) == Outcome::UnitLeft) return Outcome::UnitLeft;
    if (commitMixer(record, ticket, failed) == Outcome::UnitLeft) return Outcome::UnitLeft;
    // The pages are shown the master once more; its listeners heard it from
    // commitMixer.
    showSettings(settings_);
    return Outcome::Completed;
}

void PanelCore::remove(USBDevice* device) {
    if (!unit_.get() || device != unit_.get()) return;
    view_.stopTimer(METER_TIMER);
    observers_.unitRemoved(*device);
    unit_.drop();
    view_.setTitle(panelTitle(false).c_str());
    controller_.setSender(nullptr, nullptr);
    save(settings_);
    makeBlank(settings_);
    // No page keeps the address of a unit that is gone.
    pageList_.sendDevice(nullptr);
    view_.showWindow(false);
    view_.showTrayIcon(false);
    // Another unit that is still plugged in is taken as if it had just come.
    view_.offerPresentUnits();
}

void PanelCore::stateChanged(USBDevice* device) {
    if (!device || device != unit_.get()) return;
    // Until the user's record is back on the unit, what it reports is its
    // power-on state or another session's settings, not the user's.
    if (!attendance_.followsUnit()) return;
    const int32_t rateBefore = settings_.sampleRate;
    const int32_t latencyBefore = settings_.latency;
    int32_t config[5] = {};
    if (device->getConfiguration(config)) {
        // A rate outside the four would make the next load throw the whole
        // stored record away: such a rate is not taken into the record.
        if (isValidSampleRate(config[0])) settings_.sampleRate = config[0];
        settings_.inputChannels = config[1];
        settings_.outputChannels = config[3];
    }
    // Likewise a latency the unit cannot be set to is not stored.
    const int32_t latency = device->getLatency();
    if (isValidLatency(latency)) settings_.latency = latency;
    if (settings_.sampleRate != rateBefore || settings_.latency != latencyBefore)
        observers_.unitFollowed(settings_.sampleRate, settings_.latency);
    save(settings_);
    publishSettings(settings_);
}

// ---------------------------------------------------------------------------
// Applying settings

void PanelCore::applyConfiguration(PanelSettings candidate) {
    sendConfiguration(candidate, unit_.ticket());
}

void PanelCore::applyLatency(PanelSettings candidate) { sendLatency(candidate); }

PanelCore::Outcome PanelCore::sendConfiguration(const PanelSettings& candidate, Ticket ticket) {
    if (settings_.sampleRate == candidate.sampleRate && settings_.inputChannels == 18) return Outcome::Completed;
    if (!unitOpen()) return Outcome::Completed;
    USBDevice* device = unit_.get();
    int32_t config[5] = {};
    if (!device->getConfiguration(config)) {
        // Without the unit's own values there is nothing sound to send: the
        // rate is not set, and the user is told so.
        return tell(ERROR_SET_CONFIGURATION, ticket) ? Outcome::Completed : Outcome::UnitLeft;
    }
    const int32_t request[5] = {candidate.sampleRate, 18, config[2], config[3], config[4]};
    int32_t answer[5] = {};
    if (!device->setConfiguration(request, answer) && !tell(ERROR_SET_CONFIGURATION, ticket))
        return Outcome::UnitLeft;
    return Outcome::Completed;
}

void PanelCore::sendLatency(const PanelSettings& candidate) {
    if (settings_.latency == candidate.latency || !unitOpen()) return;
    // The unit answers the latency it took; 0 is a failed request. The user
    // is not told, the caller may learn of it.
    if (unit_.get()->setLatency(candidate.latency) == 0) noteRefused(ERROR_SET_LATENCY);
}

void PanelCore::applyVolumes(PanelSettings candidate) {
    gate_.forgetFirstHalf();
    if (!gate_.accept()) return;
    ChannelMask failed = 0;
    const Outcome outcome = sendVolumes(candidate, unit_.ticket(), failed);
    // The page hands the same record to applyMixer next.
    gate_.volumesDone(candidate, outcome == Outcome::UnitLeft, failed);
}

PanelCore::Outcome PanelCore::sendVolumes(const PanelSettings& candidate, Ticket ticket, ChannelMask& failed) {
    failed = 0;
    if (!unitOpen()) return Outcome::Completed;
    const bool levelChanged = candidate.outputLevel != settings_.outputLevel;
    bool due[OUTPUT_COUNT] = {};
    bool anyDue = false;
    for (int channel = 0; channel < OUTPUT_COUNT; ++channel) {
        due[channel] = levelChanged || candidate.outVolume[channel] != settings_.outVolume[channel] ||
                       candidate.outMute[channel] != settings_.outMute[channel];
        anyDue = anyDue || due[channel];
    }
    if (!anyDue) return Outcome::Completed;
    writeAhead(candidate);
    for (int channel = 0; channel < OUTPUT_COUNT; ++channel) {
        if (!due[channel]) continue;
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
        if (controller_.setOutVolume(channel, uint8_t(value))) continue;
        failed = ChannelMask(failed | (1u << channel));
        if (!tell(ERROR_SET_OUT_VOLUME, ticket)) return Outcome::UnitLeft;
    }
    return Outcome::Completed;
}

void PanelCore::applyMixer(PanelSettings candidate) {
    const UserChangeGate::FirstHalf firstHalf = gate_.takeFirstHalf(candidate);
    // The unit went away while the first half of this change was showing a
    // box: the rest of it is not applied either.
    if (firstHalf.unitLeft) return;
    if (!gate_.accept()) return;
    if (refusedWhileLeftAlone()) return;
    commitMixer(candidate, unit_.ticket(), firstHalf.failed);
}

PanelCore::Outcome PanelCore::commitMixer(PanelSettings candidate, Ticket ticket, ChannelMask failedVolumes) {
    const PanelSettings before = settings_;
    // A send that failed leaves the unit as it was: the accepted record keeps
    // what the unit has, so that the pages show it and the next change sends
    // it again. Only a master that holds a unit's record knows what that is.
    const bool knowsUnit = SettingsKeeper::isStorable(before);
    bool sent = false;
    bool reverted = false;
    auto keepUnitValue = [&](auto& field, auto unitValue) {
        if (!knowsUnit) return;
        field = unitValue;
        reverted = true;
    };
    if (unitOpen()) {
        const bool due = candidate.digitalFormat != before.digitalFormat ||
                         candidate.digitalOutSelector != before.digitalOutSelector ||
                         candidate.cpldDigitalMon != before.cpldDigitalMon ||
                         candidate.cpldMixOutSel != before.cpldMixOutSel;
        if (due) writeAhead(candidate);
        // The unit stays the same object as long as the ticket holds.
        USBDevice& device = *unit_.get();
        if (candidate.digitalFormat != before.digitalFormat) {
            sent = true;
            if (!controller_.setDigitalFormat(candidate.digitalFormat)) {
                keepUnitValue(candidate.digitalFormat, before.digitalFormat);
                if (!tell(ERROR_SET_DIGITAL_FORMAT, ticket)) return Outcome::UnitLeft;
            }
        }
        if (candidate.digitalOutSelector != before.digitalOutSelector) {
            sent = true;
            if (!device.setDigitalOutSelector(candidate.digitalOutSelector)) {
                keepUnitValue(candidate.digitalOutSelector, before.digitalOutSelector);
                if (!tell(ERROR_SET_DIGITAL_OUT_SELECTOR, ticket)) return Outcome::UnitLeft;
            }
        }
        // The CPLD bits: the master keeps what the unit reads back; a bit the
        // unit acknowledged but reads back unchanged was not taken either.
        auto sendBit = [&](uint8_t& bit, uint8_t was, bool (USBDevice::*set)(bool), bool (USBDevice::*get)(),
                           const char* error) {
            if (bit == was) return true;
            sent = true;
            if (!(device.*set)(bit != 0)) {
                keepUnitValue(bit, was);
                return tell(error, ticket);
            }
            const bool wanted = bit != 0;
            bit = (device.*get)() ? 1 : 0;
            if ((bit != 0) != wanted) refused_.add(std::string(error) + " (the bit reads back unchanged)");
            return true;
        };
        if (!sendBit(candidate.cpldDigitalMon, before.cpldDigitalMon, &USBDevice::setVelCpldDigitalMon,
                     &USBDevice::getCpldDigitalMon, ERROR_SET_CPLD_DIGITAL_MON) ||
            !sendBit(candidate.cpldMixOutSel, before.cpldMixOutSel, &USBDevice::setVelCpldMixOutSel,
                     &USBDevice::getCpldMixOutSel, ERROR_SET_CPLD_MIX_OUT_SEL))
            return Outcome::UnitLeft;
        for (int channel = 0; channel < OUTPUT_COUNT; ++channel) {
            if (!(failedVolumes & (1u << channel))) continue;
            keepUnitValue(candidate.outVolume[channel], before.outVolume[channel]);
            keepUnitValue(candidate.outMute[channel], before.outMute[channel]);
        }
    }
    refreshFromDevice(before);
    // What the unit reports (rate, channel counts, latency) and the master
    // took meanwhile (the refresh, a state event while a box was open) is
    // kept in the accepted record.
    if (settings_.sampleRate != before.sampleRate) candidate.sampleRate = settings_.sampleRate;
    if (settings_.latency != before.latency) candidate.latency = settings_.latency;
    if (settings_.inputChannels != before.inputChannels) candidate.inputChannels = settings_.inputChannels;
    if (settings_.outputChannels != before.outputChannels) candidate.outputChannels = settings_.outputChannels;
    settings_ = candidate;
    publishSettings(settings_);
    if (!unitOpen()) return Outcome::Completed;
    // The accepted record reaches the store at once, also when only a volume
    // or a mute changed (applyVolumes sent those before the master took them).
    if (sent || reverted)
        save(settings_);
    else
        saveIfChanged(settings_);
    return Outcome::Completed;
}

void PanelCore::publishSettings(PanelSettings record) {
    showSettings(record);
    observers_.settingsPublished(record);
}

void PanelCore::showSettings(const PanelSettings& record) {
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
    USBDevice* device = unitOpen() ? unit_.get() : nullptr;

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

    status_.update({clock, rate, latencyText_, inputs, outputs});
    showMenuChecks(view_, device != nullptr, rate, latency, device ? device->getClockMode() : -1);

    if (device) followUnit(deviceRateKnown ? rate : 0, deviceLatency);
}

bool PanelCore::followUnit(int32_t deviceRate, int32_t deviceLatency) {
    // The unit runs at another rate or latency than the master says (set on
    // the unit itself, or a menu choice that did not reach it): the master
    // follows the unit, so that the store keeps what the unit runs at. Only a
    // master that holds a unit's record follows, only to values the next load
    // accepts, and it is written once, not on every tick. A unit that does
    // not hold the user's record yet is not followed.
    if (!isValidSampleRate(settings_.sampleRate) || !attendance_.followsUnit()) return false;
    bool followed = false;
    if (isValidSampleRate(deviceRate) && deviceRate != settings_.sampleRate) {
        settings_.sampleRate = deviceRate;
        followed = true;
    }
    if (isValidLatency(deviceLatency) && deviceLatency != settings_.latency) {
        settings_.latency = deviceLatency;
        followed = true;
    }
    if (followed) {
        observers_.unitFollowed(settings_.sampleRate, settings_.latency);
        save(settings_);
    }
    return followed;
}

void PanelCore::factoryDefault() {
    if (!unitOpen()) return;
    const Ticket ticket = unit_.ticket();
    {
        // Every output goes to full volume at once: the user says so first.
        BoxScope box(*this);
        if (!view_.askYesNo(FACTORY_DEFAULT_QUESTION)) return;
    }
    if (!unit_.holds(ticket)) return;
    PanelSettings record;
    makeDefaultSettings(record, unit_.get());
    applyRecord(record, 0);
}

bool PanelCore::applyRecord(const PanelSettings& record, int32_t clockMode) {
    if (!unitOpen()) return false;
    const Ticket ticket = unit_.ticket();
    USBDevice* device = unit_.get();
    // Compare the record with what the unit really runs at, so that a rate
    // or latency chosen from the menu a moment ago is set too.
    int32_t config[5] = {};
    const bool configRead = device->getConfiguration(config);
    followUnit(configRead ? config[0] : 0, device->getLatency());

    if (applyAll(record, ticket) == Outcome::UnitLeft) return false;
    if (clockMode == 0 || clockMode == 1) setClockMode(clockMode);
    return unit_.holds(ticket);
}

bool PanelCore::applyChange(const PanelSettings& candidate) {
    // Whatever a page may have left between its two halves does not belong
    // to this change.
    gate_.forgetFirstHalf();
    const Ticket ticket = unit_.ticket();
    ChannelMask failed = 0;
    if (sendVolumes(candidate, ticket, failed) == Outcome::UnitLeft) return false;
    return commitMixer(candidate, ticket, failed) == Outcome::Completed && unit_.holds(ticket);
}

int32_t PanelCore::unitClockMode() { return unitOpen() ? unit_.get()->getClockMode() : -1; }

// ---------------------------------------------------------------------------
// Persistence

void PanelCore::saveSettings() { save(settings_); }

void PanelCore::writeAhead(const PanelSettings& candidate) {
    if (unitOpen()) saveIfChanged(candidate);
}

void PanelCore::save(const PanelSettings& record) { afterWrite(keeper_.save(record)); }

void PanelCore::saveIfChanged(const PanelSettings& record) { afterWrite(keeper_.saveIfChanged(record)); }

void PanelCore::afterWrite(SaveResult result) {
    if (result != SaveResult::SkippedBlank)
        observers_.recordSaved(result == SaveResult::Written, keeper_.location());
    // Told once per run, from the window's own loop rather than from inside
    // whatever operation was saving.
    if (keeper_.takeFailureNotice()) postNotice(keeper_.failureText());
}

void PanelCore::postNotice(const std::string& text) {
    if (notices_.add(text)) view_.scheduleNotice();
}

void PanelCore::onNotice() {
    std::string text;
    if (!notices_.take(text) || quitting_) return;
    BoxScope box(*this);
    view_.showNotice(text.c_str());
}

// ---------------------------------------------------------------------------
// Timers

void PanelCore::onTimer(unsigned id) {
    if (id == METER_TIMER) onMeterTimer();
    else if (id == STATUS_TIMER) onStatusTimer();
}

void PanelCore::onMeterTimer() {
    USBDevice* device = unit_.get();
    if (!device) {
        meters_.clear();
        return;
    }
    if (!attendance_.metersWanted()) return;
    if (!device->readMeters(meterRead_.level)) return;
    meters_.take(meterRead_);
    pageList_.sendMeters(meters_.history());
}

void PanelCore::onStatusTimer() {
    if (!unit_.get() || !attendance_.followsUnit()) return;
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

template <typename Send>
bool PanelCore::storeAndSend(int32_t PanelSettings::*field, int32_t value, Send send) {
    // The choice is stored before it is sent, and taken back when the unit
    // refuses it, so that the store always names what the unit runs at or
    // was just asked to. Only a master that holds a unit's record takes it.
    const int32_t before = settings_.*field;
    const bool follow = SettingsKeeper::isStorable(settings_);
    auto setMaster = [&](int32_t v) {
        if (!follow || settings_.*field == v) return;
        settings_.*field = v;
        save(settings_);
        publishSettings(settings_);
    };
    setMaster(value);
    const bool taken = send();
    if (!taken) setMaster(before);
    return taken;
}

bool PanelCore::setSampleRate(int32_t rate) {
    if (!unitOpen()) return false;
    USBDevice* device = unit_.get();
    int32_t config[5] = {};
    // Without the unit's current values nothing sound can be sent.
    if (!device->getConfiguration(config)) {
        noteRefused(ERROR_GET_CONFIGURATION);
        return false;
    }
    config[0] = rate;
    const bool taken = storeAndSend(&PanelSettings::sampleRate, rate, [&] {
        int32_t answer[5] = {};
        return device->setConfiguration(config, answer);
    });
    if (!taken) noteRefused(ERROR_SET_CONFIGURATION);
    return taken;
}

bool PanelCore::setLatency(int32_t latency) {
    if (!unitOpen()) return false;
    // The unit answers the latency it took; 0 is a failed request.
    const bool taken =
        storeAndSend(&PanelSettings::latency, latency, [&] { return unit_.get()->setLatency(latency) != 0; });
    if (!taken) noteRefused(ERROR_SET_LATENCY);
    return taken;
}

bool PanelCore::setClockMode(int32_t mode) {
    if (!unitOpen()) return false;
    // The unit answers -1 for a failed request.
    const bool taken = unit_.get()->setClockMode(mode) != -1;
    if (!taken) noteRefused(ERROR_SET_CLOCK_MODE);
    return taken;
}

bool PanelCore::setOutputLevel(int level) {
    view_.setRadioCheck(ID_LEVEL_BALANCED, false);
    view_.setRadioCheck(ID_LEVEL_UNBALANCED, false);
    view_.setRadioCheck(ID_LEVEL_BALANCED + unsigned(level), true);
    if (refusedWhileLeftAlone()) return false;
    // A unit that did not open holds no settings: a record made from the
    // blank master would be no record at all.
    if (!unitOpen()) return false;
    const Ticket ticket = unit_.ticket();
    PanelSettings record = settings_;
    record.outputLevel = level;
    ChannelMask failed = 0;
    if (sendVolumes(record, ticket, failed) == Outcome::UnitLeft) return false;
    publishSettings(record);
    settings_.outputLevel = level;
    saveIfChanged(settings_);
    return failed == 0;
}

bool PanelCore::setDigitalFormat(int format) {
    view_.setRadioCheck(ID_FORMAT_CONSUMER, false);
    view_.setRadioCheck(ID_FORMAT_PROFESSIONAL, false);
    view_.setRadioCheck(ID_FORMAT_CONSUMER + unsigned(format), true);
    if (refusedWhileLeftAlone()) return false;
    if (!unitOpen()) return false;
    const uint64_t mark = refused_.count();
    PanelSettings record = settings_;
    record.digitalFormat = format;
    return commitMixer(record, unit_.ticket(), 0) == Outcome::Completed && refused_.count() == mark;
}

void PanelCore::showPanel() {
    selectControlTab();
    status_.show(); // texts are not made while the window is hidden
    view_.showWindow(true);
}

void PanelCore::exitPanel() {
    quitting_ = true;
    view_.quit();
}

void PanelCore::onCommand(unsigned id) {
    gate_.forgetFirstHalf();
    // Commands that change a setting are the user's input: not taken while a
    // box of the panel is open.
    const bool changesSetting = id == CMD_FACTORY_DEFAULT || (id >= CMD_RATE_44100 && id <= CMD_CLOCK_INTERNAL) ||
                                id == ID_LEVEL_BALANCED || id == ID_LEVEL_UNBALANCED ||
                                id == ID_FORMAT_CONSUMER || id == ID_FORMAT_PROFESSIONAL;
    if (changesSetting && !gate_.accept()) return;
    switch (id) {
    case CMD_OPEN: showPanel(); break;
    case CMD_EXIT: exitPanel(); break;
    case CMD_FACTORY_DEFAULT: factoryDefault(); break;
    case CMD_CLOCK_AUTO: setClockMode(0); break;
    case CMD_CLOCK_INTERNAL: setClockMode(1); break;
    case ID_TAB_CONTROL: selectControlTab(); break;
    case ID_TAB_INFO: selectInfoTab(); break;
    case ID_TAB_UNUSED: break;
    case ID_LEVEL_BALANCED:
    case ID_LEVEL_UNBALANCED: setOutputLevel(int(id & 0xF)); break;
    case ID_FORMAT_CONSUMER:
    case ID_FORMAT_PROFESSIONAL: setDigitalFormat(int(id & 0xF)); break;
    default:
        if (id >= CMD_LATENCY_FIRST && id <= CMD_LATENCY_LAST) setLatency(int32_t(id - CMD_RATE_96000));
        for (int i = 0; i < SAMPLE_RATE_COUNT; ++i)
            if (id == RATE_MENU_ITEMS[i]) setSampleRate(SAMPLE_RATES[i]);
        break;
    }
}

void PanelCore::onClose() { view_.showWindow(false); }

void PanelCore::onHideAtStart() { view_.showWindow(false); }

void PanelCore::onDestroy() {
    save(settings_);
    controller_.setSender(nullptr, nullptr);
    unit_.drop();
    view_.stopListener();
}

} // namespace velmora
