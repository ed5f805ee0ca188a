#include "app/PanelCommands.h"

#include "app/PanelCore.h"
#include "app/VolumeSteps.h"
#include "device/USBDevice.h"
#include "settings/SampleRates.h"
#include "settings/SettingsRepair.h"

namespace velmora {

namespace {

CommandOutcome badValue(std::string what) {
    CommandOutcome outcome;
    outcome.status = CommandStatus::BadValue;
    outcome.badValue = std::move(what);
    return outcome;
}

bool isOutput(int output) { return output >= 1 && output <= OUTPUT_COUNT; }
bool isBit(int32_t value) { return value == 0 || value == 1; }

const char* const BAD_OUTPUT = "The output must be 1 to 8.";

} // namespace

bool PanelCommands::mayChange(CommandOutcome& outcome) const {
    // A change while one of the panel's boxes waits for the user would not
    // be taken by the pages either.
    if (core_.boxOpen()) {
        outcome.status = CommandStatus::BoxOpen;
        return false;
    }
    // While another session has the console, the unit is not this user's to change.
    const USBDevice* unit = core_.currentDevice();
    if (!unit || !unit->isOpen() || core_.leavesUnitAlone()) {
        outcome.status = CommandStatus::NoUnit;
        return false;
    }
    return true;
}

CommandOutcome PanelCommands::finish(bool unitStayed, bool taken, uint64_t mark, int32_t held,
                                     const char* part) const {
    CommandOutcome outcome;
    if (!unitStayed) {
        outcome.status = CommandStatus::NoUnit;
        return outcome;
    }
    outcome.held = held;
    outcome.refused = core_.refusedSends().since(mark);
    if (!taken && outcome.refused.empty()) outcome.refused.push_back(part);
    outcome.status = outcome.refused.empty() ? CommandStatus::Done : CommandStatus::Refused;
    return outcome;
}

template <typename Edit, typename Held>
CommandOutcome PanelCommands::change(Edit edit, Held held) {
    CommandOutcome outcome;
    if (!mayChange(outcome)) return outcome;
    PanelSettings candidate = core_.settings();
    edit(candidate);
    const uint64_t mark = core_.refusedSends().count();
    const bool stayed = core_.applyChange(candidate);
    return finish(stayed, true, mark, held(core_.settings()), "the change");
}

CommandOutcome PanelCommands::setVolumeStep(int output, int step) {
    if (!isOutput(output)) return badValue(BAD_OUTPUT);
    if (step < 0 || step > VOLUME_STEP_MAX) return badValue("The volume step must be 0 to 127.");
    const int out = output - 1;
    return change(
        [&](PanelSettings& r) {
            r.outVolume[out] = uint8_t(step);
            // As on the Control page, a linked pair moves together.
            if (r.outLink[out / 2] == 1) r.outVolume[out ^ 1] = uint8_t(step);
        },
        [&](const PanelSettings& r) { return int32_t(r.outVolume[out]); });
}

CommandOutcome PanelCommands::setVolumeDb(int output, double db) {
    if (!isOutput(output)) return badValue(BAD_OUTPUT);
    const std::optional<uint8_t> step = volumeStepOfDb(db);
    if (!step) return badValue("The volume must be a number from -63.5 to 0 dB.");
    return setVolumeStep(output, *step);
}

CommandOutcome PanelCommands::setMute(int output, bool on) {
    if (!isOutput(output)) return badValue(BAD_OUTPUT);
    const int out = output - 1;
    return change([&](PanelSettings& r) { r.outMute[out] = on ? 1 : 0; },
                  [&](const PanelSettings& r) { return int32_t(r.outMute[out]); });
}

CommandOutcome PanelCommands::setPairVolumeSteps(int pair, int left, int right) {
    if (pair < 1 || pair > OUTPUT_PAIRS) return badValue("The pair must be 1 to 4.");
    if (left < 0 || left > VOLUME_STEP_MAX || right < 0 || right > VOLUME_STEP_MAX)
        return badValue("The volume step must be 0 to 127.");
    const int out = 2 * (pair - 1);
    return change(
        [&](PanelSettings& r) {
            r.outVolume[out] = uint8_t(left);
            r.outVolume[out + 1] = uint8_t(right);
        },
        [&](const PanelSettings& r) { return int32_t(r.outVolume[out]); });
}

CommandOutcome PanelCommands::setMutes(unsigned outputs, bool on) {
    if (outputs == 0 || outputs >= (1u << OUTPUT_COUNT)) return badValue("Name the outputs 1 to 8.");
    return change(
        [&](PanelSettings& r) {
            for (int i = 0; i < OUTPUT_COUNT; ++i)
                if (outputs & (1u << i)) r.outMute[i] = on ? 1 : 0;
        },
        [&](const PanelSettings& r) {
            for (int i = 0; i < OUTPUT_COUNT; ++i)
                if ((outputs & (1u << i)) && r.outMute[i] != 1) return int32_t(0);
            return int32_t(1);
        });
}

CommandOutcome PanelCommands::setLink(int pair, bool on) {
    if (pair < 1 || pair > OUTPUT_PAIRS) return badValue("The pair must be 1 to 4.");
    const int k = pair - 1;
    return change([&](PanelSettings& r) { r.outLink[k] = on ? 1 : 0; },
                  [&](const PanelSettings& r) { return int32_t(r.outLink[k]); });
}

CommandOutcome PanelCommands::setDigitalMon(bool on) {
    return change([&](PanelSettings& r) { r.cpldDigitalMon = on ? 1 : 0; },
                  [](const PanelSettings& r) { return int32_t(r.cpldDigitalMon); });
}

CommandOutcome PanelCommands::setMixOutSel(bool on) {
    return change([&](PanelSettings& r) { r.cpldMixOutSel = on ? 1 : 0; },
                  [](const PanelSettings& r) { return int32_t(r.cpldMixOutSel); });
}

CommandOutcome PanelCommands::setSpdifSource(int32_t selector) {
    if (selector < 0 || selector > 3) return badValue("The S/PDIF source must be 0 to 3.");
    return change([&](PanelSettings& r) { r.digitalOutSelector = uint8_t(selector); },
                  [](const PanelSettings& r) { return int32_t(r.digitalOutSelector); });
}

CommandOutcome PanelCommands::setSampleRate(int32_t rate) {
    if (sampleRateIndex(rate) < 0) return badValue(std::string("The sample rate must be ") + SAMPLE_RATE_LIST + ".");
    CommandOutcome outcome;
    if (!mayChange(outcome)) return outcome;
    const uint64_t mark = core_.refusedSends().count();
    const bool taken = core_.setSampleRate(rate);
    return finish(true, taken, mark, taken ? rate : core_.settings().sampleRate, "the sample rate");
}

CommandOutcome PanelCommands::setLatency(int32_t latency) {
    if (!isValidLatency(latency)) return badValue("The latency must be 1 to 6.");
    CommandOutcome outcome;
    if (!mayChange(outcome)) return outcome;
    const uint64_t mark = core_.refusedSends().count();
    const bool taken = core_.setLatency(latency);
    return finish(true, taken, mark, taken ? latency : core_.settings().latency, "the latency");
}

CommandOutcome PanelCommands::setClockMode(int32_t mode) {
    if (!isBit(mode)) return badValue("The clock mode must be 0 (Auto) or 1 (Internal Only).");
    CommandOutcome outcome;
    if (!mayChange(outcome)) return outcome;
    const uint64_t mark = core_.refusedSends().count();
    const bool taken = core_.setClockMode(mode);
    return finish(true, taken, mark, taken ? mode : core_.unitClockMode(), "the clock mode");
}

CommandOutcome PanelCommands::setOutputLevel(int32_t level) {
    if (!isBit(level)) return badValue("The output level must be 0 (+ 4dBv, balanced) or 1 (-10dBv, unbalanced).");
    CommandOutcome outcome;
    if (!mayChange(outcome)) return outcome;
    const USBDevice* unit = core_.currentDevice();
    const uint64_t mark = core_.refusedSends().count();
    const bool taken = core_.setOutputLevel(int(level));
    const bool stayed = core_.currentDevice() == unit && unit && unit->isOpen();
    return finish(stayed, taken, mark, core_.settings().outputLevel, "the output level");
}

CommandOutcome PanelCommands::setDigitalFormat(int32_t format) {
    if (!isBit(format)) return badValue("The S/PDIF format must be 0 (Consumer) or 1 (Professional).");
    CommandOutcome outcome;
    if (!mayChange(outcome)) return outcome;
    const USBDevice* unit = core_.currentDevice();
    const uint64_t mark = core_.refusedSends().count();
    const bool taken = core_.setDigitalFormat(int(format));
    const bool stayed = core_.currentDevice() == unit && unit && unit->isOpen();
    return finish(stayed, taken, mark, core_.settings().digitalFormat, "the S/PDIF format");
}

CommandOutcome PanelCommands::applyRecord(const PanelSettings& record, int32_t clockMode) {
    PanelSettings checked = record;
    if (!isValidSampleRate(record.sampleRate) || repairSettings(checked) != 0)
        return badValue("The settings hold values the unit cannot take.");
    if (clockMode != -1 && !isBit(clockMode))
        return badValue("The clock mode must be 0 (Auto) or 1 (Internal Only).");
    CommandOutcome outcome;
    if (!mayChange(outcome)) return outcome;
    const uint64_t mark = core_.refusedSends().count();
    const bool stayed = core_.applyRecord(record, clockMode);
    return finish(stayed, true, mark, 0, "the settings");
}

CommandOutcome PanelCommands::show() {
    core_.showPanel();
    return CommandOutcome{};
}

CommandOutcome PanelCommands::exit() {
    core_.exitPanel();
    return CommandOutcome{};
}

std::string describeOutcome(const CommandOutcome& outcome) {
    switch (outcome.status) {
    case CommandStatus::Done: return "Done.";
    case CommandStatus::NoUnit: return "No Velmora is connected.";
    case CommandStatus::BoxOpen: return "The panel shows a message; answer it first.";
    case CommandStatus::BadValue: return outcome.badValue;
    case CommandStatus::Refused: {
        std::string text = "The unit refused: ";
        for (size_t i = 0; i < outcome.refused.size(); ++i) text += (i ? "; " : "") + outcome.refused[i];
        return text + ".";
    }
    }
    return {};
}

} // namespace velmora
