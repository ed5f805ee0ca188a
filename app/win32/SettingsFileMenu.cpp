#include "app/win32/SettingsFileMenu.h"

#include "app/MenuCommands.h"
#include "app/PanelCore.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/SettingsFileDialog.h"
#include "app/win32/WideText.h"

namespace velmora {

bool SettingsFileMenu::onCommand(unsigned id) {
    if (id != CMD_SAVE_SETTINGS_AS && id != CMD_LOAD_SETTINGS) return false;
    // A command queued before one of the panel's boxes opened is not taken
    // under it, as the pages' changes are not.
    if (!core_.boxOpen()) settingsFile(id == CMD_SAVE_SETTINGS_AS);
    return true;
}

void SettingsFileMenu::settingsFile(bool save) {
    std::string path;
    bool chosen = false;
    {
        PanelCore::BoxScope dialog(core_);
        chosen = save ? askSettingsFileToSave(window_, path) : askSettingsFileToLoad(window_, path);
    }
    if (!chosen) return;
    const RequestAnswer answer = save ? requests_.savePreset(path) : requests_.loadPreset(path);
    log_.write(std::string(save ? "save settings to " : "load settings from ") + path + ": " + answer.text);
    if (answer.code != EXIT_DONE) {
        PanelCore::BoxScope box(core_);
        messageBox(window_, answer.text, CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
    }
}

} // namespace velmora
