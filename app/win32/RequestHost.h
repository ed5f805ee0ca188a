// The running panel's side of the command line and of the File menu's
// settings files: requests that come as WM_COPYDATA are queued and carried
// out from the window's own loop (never inside the sender's call), each
// answered to the window that sent it; a request that came with this
// panel's own start waits for the first unit. Every request is logged.
#pragma once

#include "app/DiagnosticsLog.h"
#include "app/PanelEvents.h"
#include "app/PanelRequests.h"

#include <windows.h>

#include <deque>

namespace velmora {

class PanelCore;

class RequestHost : public PanelEvents {
public:
    // Posted to the panel's window: run the queued requests.
    static constexpr UINT WM_RUN_REQUESTS = WM_APP + 2;

    RequestHost(PanelCore& core, DiagnosticsLog& log) : requests_(core), log_(log) {}

    void attach(HWND window) { window_ = window; }
    // A request this panel was started with: carried out once a unit arrived.
    void waitForUnit(const PanelRequest& request);

    // WM_COPYDATA, WM_RUN_REQUESTS and the File menu's settings commands;
    // false for anything else.
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // PanelEvents: an arrival lets a waiting request go.
    void unitArrived(const USBDevice& unit, const PanelSettings& record) override;
    void unitNotOpened(const USBDevice&) override {}
    void unitRemoved(const USBDevice&) override {}
    void sendFailed(const USBDevice&, const char*) override {}
    void recordSaved(bool, const std::string&) override {}

private:
    struct Queued {
        PanelRequest request;
        HWND answerTo;
    };
    void runQueued();
    // File > Save Settings As... (save) or Load Settings...: the file dialog,
    // then the request; a failure is told in a box.
    void settingsFile(bool save);

    PanelRequests requests_;
    DiagnosticsLog& log_;
    HWND window_ = nullptr;
    std::deque<Queued> queue_;
    bool unitReady_ = false; // a unit arrived while a request waited for one
};

} // namespace velmora
