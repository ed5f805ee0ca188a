#include "app/Snapshots.h"

#include "app/PanelCore.h"
#include "app/RequestWire.h"
#include "device/USBDevice.h"
#include "settings/PresetFile.h"

#include <cstring>

namespace velmora {

namespace {

std::string valueName(int slot) { return "Snapshot" + std::to_string(slot); }
std::string slotText(int slot) { return "Snapshot " + std::to_string(slot); }
bool isSlot(int slot) { return slot >= 1 && slot <= SNAPSHOT_COUNT; }

SnapshotAnswer answer(int code, std::string text) { return SnapshotAnswer{code, std::move(text)}; }

} // namespace

Snapshots::Read Snapshots::read(int slot, std::string& name, PanelSettings& record, int32_t& clockMode,
                                std::string& problem, PresetNames* names) {
    std::string text;
    if (!store_ || !store_->readText(valueName(slot).c_str(), text)) return Read::Empty;
    const size_t lineEnd = text.find('\n');
    if (lineEnd == std::string::npos) {
        problem = "it holds no settings";
        return Read::Damaged;
    }
    const std::string storedName = text.substr(0, lineEnd);
    const std::string nameProblem = snapshotNameProblem(storedName);
    if (!nameProblem.empty()) {
        problem = "its name is not 1 to 24 characters of text";
        return Read::Damaged;
    }
    PresetError error;
    PanelSettings read = core_.settings();
    int32_t readClock = PRESET_NO_CLOCK_MODE;
    PresetNames readNames;
    if (!readPreset(text.substr(lineEnd + 1), core_.settings(), read, readClock, error, &readNames)) {
        problem = error.text();
        return Read::Damaged;
    }
    name = storedName;
    record = read;
    clockMode = readClock;
    if (names) *names = readNames;
    return Read::Sound;
}

SnapshotAnswer Snapshots::store(int slot, const std::string& givenName) {
    if (!isSlot(slot)) return answer(EXIT_USAGE, "The snapshot must be 1 to 8.");
    if (!store_) return answer(EXIT_FAILED, "Snapshots cannot be kept here.");
    std::string name = givenName;
    if (name.empty()) {
        PanelSettings record;
        int32_t clockMode = 0;
        std::string problem;
        if (read(slot, name, record, clockMode, problem) != Read::Sound) name = slotText(slot);
    }
    const std::string problem = snapshotNameProblem(name);
    if (!problem.empty()) return answer(EXIT_USAGE, problem);
    const PanelSettings master = dim_ ? dim_->storedForm(core_.settings()) : core_.settings();
    if (isBlank(master) || !isValidSampleRate(master.sampleRate))
        return answer(EXIT_NO_UNIT, "There are no settings to store until a Velmora has been connected.");
    // The names go with the settings; stored names that do not read back are
    // left out, so that a recall leaves the names as they are then.
    ChannelNames names;
    std::string namesProblem;
    const bool namesRead = loadChannelNames(*store_, names, namesProblem);
    const std::string settings = writePreset(master, core_.unitClockMode(), namesRead ? &names : nullptr);
    if (!store_->writeText(valueName(slot).c_str(), name + "\n" + settings))
        return answer(EXIT_FAILED, "Could not store " + slotText(slot) + ".");
    return answer(EXIT_DONE, "The settings are stored as " + slotText(slot) + " \"" + name + "\".");
}

SnapshotAnswer Snapshots::recall(int slot) {
    if (!isSlot(slot)) return answer(EXIT_USAGE, "The snapshot must be 1 to 8.");
    const USBDevice* unit = core_.currentDevice();
    if (!unit || !unit->isOpen() || core_.leavesUnitAlone()) return answer(EXIT_NO_UNIT, "No Velmora is connected.");
    std::string name, problem;
    PanelSettings record;
    int32_t clockMode = PRESET_NO_CLOCK_MODE;
    PresetNames names;
    switch (read(slot, name, record, clockMode, problem, &names)) {
    case Read::Empty: return answer(EXIT_FAILED, slotText(slot) + " is empty.");
    case Read::Damaged: return answer(EXIT_FAILED, slotText(slot) + " is damaged: " + problem + ". Nothing was changed.");
    case Read::Sound: break;
    }
    const CommandOutcome outcome = commands_.applyRecord(record, clockMode);
    const std::string called = slotText(slot) + " \"" + name + "\"";
    // The names are the panel's, not the unit's: kept whatever part of the
    // settings the unit refused, but not taken by a recall that changed nothing.
    if (names.present && (outcome.status == CommandStatus::Done || outcome.status == CommandStatus::Refused)) {
        bool renamed = false;
        if (!replaceChannelNames(*store_, names.names, renamed)) {
            SnapshotAnswer unnamed = answer(EXIT_FAILED, called + " is recalled, but its channel names could not be stored.");
            unnamed.applied = true;
            return unnamed;
        }
        if (renamed && namesChanged_) namesChanged_(names.names);
    }
    switch (outcome.status) {
    case CommandStatus::Done: {
        SnapshotAnswer done = answer(EXIT_DONE, called + " is recalled.");
        done.applied = true;
        return done;
    }
    case CommandStatus::NoUnit: return answer(EXIT_NO_UNIT, "No Velmora is connected.");
    case CommandStatus::BadValue: return answer(EXIT_FAILED, slotText(slot) + " is damaged: " + outcome.badValue);
    case CommandStatus::BoxOpen: return answer(EXIT_FAILED, describeOutcome(outcome));
    case CommandStatus::Refused: {
        std::string text = called + " is recalled, but the unit did not take: ";
        for (size_t i = 0; i < outcome.refused.size(); ++i) text += (i ? "; " : "") + outcome.refused[i];
        SnapshotAnswer part = answer(EXIT_FAILED, text + ".");
        part.applied = true;
        return part;
    }
    }
    return answer(EXIT_FAILED, describeOutcome(outcome));
}

int Snapshots::slotNamed(const std::string& wanted) {
    const std::array<std::string, SNAPSHOT_COUNT> all = names();
    for (int i = 0; i < SNAPSHOT_COUNT; ++i)
        if (!all[i].empty() && all[i] == wanted) return i + 1;
    return 0;
}

std::array<std::string, SNAPSHOT_COUNT> Snapshots::names() {
    std::array<std::string, SNAPSHOT_COUNT> all;
    for (int slot = 1; slot <= SNAPSHOT_COUNT; ++slot) {
        std::string name, problem;
        PanelSettings record;
        int32_t clockMode = 0;
        if (read(slot, name, record, clockMode, problem) == Read::Sound) all[slot - 1] = name;
    }
    return all;
}

int Snapshots::currentSlot() {
    const PanelSettings master = dim_ ? dim_->storedForm(core_.settings()) : core_.settings();
    if (isBlank(master) || !isValidSampleRate(master.sampleRate)) return 0;
    // Compared as a settings file holds them: the fields the user sets.
    const int32_t unitClock = core_.unitClockMode();
    const std::string current = writePreset(master, unitClock);
    for (int slot = 1; slot <= SNAPSHOT_COUNT; ++slot) {
        std::string name, problem;
        PanelSettings record;
        int32_t clockMode = PRESET_NO_CLOCK_MODE;
        if (read(slot, name, record, clockMode, problem) != Read::Sound) continue;
        if (writePreset(record, clockMode == PRESET_NO_CLOCK_MODE ? unitClock : clockMode) == current) return slot;
    }
    return 0;
}

} // namespace velmora
