#include "app/win32/RequestHost.h"

#include "app/MenuCommands.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/RequestChannel.h"
#include "app/win32/SettingsFileDialog.h"
#include "app/win32/WideText.h"

namespace velmora {

void RequestHost::waitForUnit(const PanelRequest& request) {
    log_.write("request waiting for a unit: " + describeRequest(request));
    requests_.setWaiting(request);
}

bool RequestHost::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COPYDATA) {
        PanelRequest request;
        HWND answerTo = nullptr;
        if (!takeRequest(wParam, lParam, request, answerTo)) return false;
        // The sender waits for the answer, not for this call: the request
        // runs from the window's loop, where it may show boxes.
        queue_.push_back({request, answerTo});
        PostMessageA(window_, WM_RUN_REQUESTS, 0, 0);
        result = TRUE;
        return true;
    }
    if (message == WM_RUN_REQUESTS) {
        runQueued();
        result = 0;
        return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) <= 1) {
        if (LOWORD(wParam) == CMD_SAVE_SETTINGS_AS) settingsFile(true);
        else if (LOWORD(wParam) == CMD_LOAD_SETTINGS) settingsFile(false);
        else return false;
        result = 0;
        return true;
    }
    return false;
}

void RequestHost::runQueued() {
    if (unitReady_ && requests_.hasWaiting()) {
        unitReady_ = false;
        const RequestAnswer answer = requests_.runWaiting();
        log_.write("waiting request carried out: " + std::to_string(answer.code) + " " + answer.text);
    }
    while (!queue_.empty()) {
        const Queued next = queue_.front();
        queue_.pop_front();
        const RequestAnswer answer = requests_.run(next.request);
        log_.write("request " + describeRequest(next.request) + ": " + std::to_string(answer.code) + " " +
                   (next.request.verb == RequestVerb::Status ? "(state sent)" : answer.text));
        sendAnswer(next.answerTo, answer);
    }
}

void RequestHost::unitArrived(const USBDevice&, const PanelSettings&) {
    if (!requests_.hasWaiting()) return;
    // Carried out from the loop once the arrival is over, not inside the
    // listener's scan.
    unitReady_ = true;
    PostMessageA(window_, WM_RUN_REQUESTS, 0, 0);
}

void RequestHost::settingsFile(bool save) {
    std::string path;
    if (!(save ? askSettingsFileToSave(window_, path) : askSettingsFileToLoad(window_, path))) return;
    const RequestAnswer answer = save ? requests_.savePreset(path) : requests_.loadPreset(path);
    log_.write(std::string(save ? "save settings to " : "load settings from ") + path + ": " + answer.text);
    if (answer.code != EXIT_DONE)
        messageBox(window_, answer.text, CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
}

} // namespace velmora
