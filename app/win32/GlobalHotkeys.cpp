#include "app/win32/GlobalHotkeys.h"

#include "app/MenuCommands.h"
#include "app/PanelCore.h"
#include "app/RequestWire.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/WideText.h"


namespace velmora {

void GlobalHotkeys::attach(HWND window) {
    window_ = window;
    std::string text, problem;
    if (store_ && store_->readText(PREFERENCE_HOTKEYS, text) && !readHotkeyText(text, settings_, problem))
        log_.write("hotkeys: lines not read: " + problem);
    monitor_.setSettings(settings_);
    takenAtStart_ = registerAll();
    if (!takenAtStart_.empty()) {
        save();
        PostMessageW(window_, WM_HOTKEYS_TAKEN, 0, 0);
    }
}

void GlobalHotkeys::detach() {
    unregisterAll();
    window_ = nullptr;
}

std::vector<std::string> GlobalHotkeys::registerAll() {
    std::vector<std::string> taken;
    if (!window_) return taken;
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) {
        KeyCombo& combo = settings_.bindings[size_t(i)];
        if (!combo.bound() || registered_[i]) continue;
        // A held volume key repeats; a held toggle or recall is one press
        // (MOD_NOREPEAT, 0x4000).
        const bool repeats = i <= int(HotkeyAction::VolumeDownCoarse);
        if (RegisterHotKey(window_, HOTKEY_ID_FIRST + i, combo.modifiers | (repeats ? 0 : 0x4000), combo.key)) {
            registered_[i] = true;
            continue;
        }
        const std::string name = keyComboText(combo);
        log_.write("hotkeys: " + name + " (" + hotkeyActionLabel(i) + ") is in use by another program");
        taken.push_back(name);
        combo = KeyCombo{};
    }
    return taken;
}

void GlobalHotkeys::unregisterAll() {
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) {
        if (registered_[i] && window_) UnregisterHotKey(window_, HOTKEY_ID_FIRST + i);
        registered_[i] = false;
    }
}

bool GlobalHotkeys::save() {
    if (!store_ || store_->writeText(PREFERENCE_HOTKEYS, writeHotkeyText(settings_))) return true;
    log_.write("hotkeys: the settings could not be saved");
    return false;
}

std::string GlobalHotkeys::takenText(const std::vector<std::string>& taken) {
    std::string text;
    for (size_t i = 0; i < taken.size(); ++i)
        text += (i ? "\n" : "") + taken[i] + " is in use by another program; it is not kept.";
    return text;
}

bool GlobalHotkeys::onHotkey(WPARAM id) {
    const int action = int(id) - HOTKEY_ID_FIRST;
    if (action < 0 || action >= HOTKEY_ACTION_COUNT) return false;
    const MonitorAnswer answer = monitor_.run(action);
    // A held key repeats: only what went wrong is logged.
    if (answer.code != EXIT_DONE) log_.write("hotkey " + std::string(hotkeyActionKey(action)) + ": " + answer.text);
    if (settings_.onScreen && !answer.shown.empty()) level_.show(answer.shown);
    return true;
}

bool GlobalHotkeys::onTimer(WPARAM id) {
    if (id != TAKEN_RETRY_TIMER) return false;
    KillTimer(window_, TAKEN_RETRY_TIMER);
    onTakenAtStart();
    return true;
}

void GlobalHotkeys::onTakenAtStart() {
    if (takenAtStart_.empty() || !window_) return;
    if (core_.boxOpen()) {
        // Not a box inside another box: once that one is answered.
        SetTimer(window_, TAKEN_RETRY_TIMER, 500, nullptr);
        return;
    }
    const std::string text = takenText(takenAtStart_);
    takenAtStart_.clear();
    PanelCore::BoxScope box(core_);
    messageBox(window_, text, CPanelApp::applicationName(), MB_OK | MB_ICONWARNING);
}

bool GlobalHotkeys::onCommand(unsigned id) {
    if (id != CMD_HOTKEYS) return false;
    if (core_.boxOpen() || !window_) return true;
    HotkeySettings edited = settings_;
    bool chosen = false;
    {
        PanelCore::BoxScope dialog(core_);
        // The keys reach the dialog's fields, not the actions.
        unregisterAll();
        chosen = runHotkeysDialog(window_, edited);
        if (chosen) settings_ = edited;
        const std::vector<std::string> taken = registerAll();
        if (chosen) {
            monitor_.setSettings(settings_);
            if (!taken.empty()) messageBox(window_, takenText(taken), CPanelApp::applicationName(), MB_OK | MB_ICONWARNING);
            if (!save())
                messageBox(window_, "The hotkeys could not be saved.", CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
            else
                log_.write("hotkeys saved");
        }
    }
    if (!settings_.onScreen) level_.hide();
    return true;
}

} // namespace velmora
