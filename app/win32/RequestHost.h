// The running panel's side of the command line's request channel: requests
// that come as WM_COPYDATA from an answer window are queued (at most
// QUEUE_LIMIT; beyond that the sender hears "busy") and carried out from the
// window's own loop, never inside the sender's call. Each is answered to the
// window that sent it, with a short send; one whose window is gone is dropped
// without being run; while one of the panel's boxes is open each is answered
// at once that the box must be answered first. Every request is logged.
#pragma once

#include "app/DiagnosticsLog.h"
#include "app/PanelRequests.h"

#include <windows.h>

#include <deque>
#include <string>

namespace velmora {

class PanelCore;

class RequestHost {
public:
    // Posted to the panel's window: run the queued requests.
    static constexpr UINT WM_RUN_REQUESTS = WM_APP + 2;
    // After an answer that could not be delivered in time, the queue goes on
    // with this timer, so that the panel's own timers run in between.
    static constexpr UINT_PTR RESUME_TIMER = 0x5251;
    static constexpr size_t QUEUE_LIMIT = 16;

    // `preferences` keeps the snapshots and the channel names.
    RequestHost(PanelCore& core, DiagnosticsLog& log, PreferenceStore* preferences = nullptr)
        : core_(core), requests_(core, preferences), log_(log) {}

    void attach(HWND window) { window_ = window; }
    PanelRequests& requests() { return requests_; }

    // WM_COPYDATA, WM_RUN_REQUESTS and the resume timer; false for anything else.
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct Queued {
        std::string wireText;
        HWND answerTo;
    };
    void runQueued();

    PanelCore& core_;
    PanelRequests requests_;
    DiagnosticsLog& log_;
    HWND window_ = nullptr;
    std::deque<Queued> queue_;
    bool resumeLater_ = false; // the resume timer runs: the queue waits for it
};

} // namespace velmora
