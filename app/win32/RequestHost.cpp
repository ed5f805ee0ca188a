#include "app/win32/RequestHost.h"

#include "app/PanelCore.h"
#include "app/win32/RequestChannel.h"

namespace velmora {

namespace {

// The request as the log names it ("volume 3 -12.5 dB").
std::string describeWire(const std::string& wireText) {
    PanelRequest request;
    if (decodeRequest(wireText, request)) return describeRequest(request);
    return "\"" + wireText.substr(0, wireText.find('\n')) + "\"";
}

bool isStatus(const std::string& wireText) { return wireText.compare(0, 7, "status\n") == 0; }

} // namespace

bool RequestHost::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COPYDATA) {
        std::string wireText;
        HWND answerTo = nullptr;
        switch (takeRequest(wParam, lParam, wireText, answerTo)) {
        case Incoming::Other: return false;
        case Incoming::Refused:
            log_.write("request refused: too long, empty or not from an answer window");
            result = RECEIPT_REFUSED;
            return true;
        case Incoming::Request: break;
        }
        if (queue_.size() >= QUEUE_LIMIT) {
            log_.write("request " + describeWire(wireText) + ": busy");
            result = RECEIPT_BUSY;
            return true;
        }
        // The sender waits for the answer, not for this call: the request
        // runs from the window's loop, where it may show boxes.
        queue_.push_back({std::move(wireText), answerTo});
        PostMessageW(window_, WM_RUN_REQUESTS, 0, 0);
        result = RECEIPT_TAKEN;
        return true;
    }
    if (message == WM_RUN_REQUESTS || (message == WM_TIMER && wParam == RESUME_TIMER)) {
        // The posts of requests that came meanwhile would run the queue
        // before the panel's timers do.
        if (message == WM_TIMER) {
            KillTimer(window_, RESUME_TIMER);
            resumeLater_ = false;
        }
        if (!resumeLater_) runQueued();
        result = 0;
        return true;
    }
    return false;
}

void RequestHost::runQueued() {
    // A request that shows a box runs the box's loop, which may come back
    // here: the requests behind it are then answered at once (a box is open).
    while (!queue_.empty() && !resumeLater_) {
        const Queued next = queue_.front();
        queue_.pop_front();
        const std::string name = describeWire(next.wireText);
        if (!isAnswerWindow(next.answerTo)) {
            log_.write("request " + name + ": dropped, its sender is gone");
            continue;
        }
        const RequestAnswer answer = core_.boxOpen()
                                         ? RequestAnswer{EXIT_FAILED, "The panel shows a message; answer it first."}
                                         : requests_.runText(next.wireText);
        log_.write("request " + name + ": " + std::to_string(answer.code) + " " +
                   (isStatus(next.wireText) && answer.code == EXIT_DONE ? "(state sent)" : answer.text));
        if (!sendAnswer(next.answerTo, answer)) {
            log_.write("request " + name + ": the answer was not taken in time");
            // The panel's timers come first, also before requests that are
            // still on their way.
            resumeLater_ = SetTimer(window_, RESUME_TIMER, 10, nullptr) != 0;
            if (resumeLater_) return;
        }
    }
}

} // namespace velmora
