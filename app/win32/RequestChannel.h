// Requests from a second start of VelPanel.exe to the running panel, and the
// answers back, as WM_COPYDATA messages. The second start makes a hidden
// message-only window of the answer class and sends the request to the
// running panel with that window as the sender; the panel queues the request,
// runs it from its own message loop and sends the answer to that window, and
// to no window of any other class.
#pragma once

#include "app/PanelRequests.h"

#include <windows.h>

#include <cstddef>
#include <string>

namespace velmora {

// dwData of the two kinds of WM_COPYDATA.
constexpr ULONG_PTR REQUEST_COPYDATA = 0x564C5251; // "VLRQ"
constexpr ULONG_PTR ANSWER_COPYDATA = 0x564C5241;  // "VLRA"

// The longest request a panel takes, in bytes.
constexpr size_t REQUEST_MAX_BYTES = 4096;

// The class of the windows answers go to.
extern const wchar_t* const ANSWER_WINDOW_CLASS;

// What the panel's window returns for a request's WM_COPYDATA.
enum RequestReceipt : LRESULT {
    RECEIPT_REFUSED = 0, // not taken: a panel that does not know it, or no answer window
    RECEIPT_TAKEN = 1,   // queued; the answer follows
    RECEIPT_BUSY = 2,    // the panel's queue is full
};

// Sends the request (its wire text) to the panel's window and waits, at most
// `answerLimitMs`, for its answer. A refusal is EXIT_USAGE naming the verb; a
// panel that does not take the request or does not answer, and an answer that
// cannot be read, are EXIT_FAILED.
RequestAnswer sendRequest(HWND panel, const std::string& wireText, DWORD answerLimitMs);

// An answer as it travels, "<code>\n<text>": false unless the code is one of
// the request exit codes.
bool readAnswer(const std::string& text, RequestAnswer& answer);

// In the panel: what a WM_COPYDATA carries.
enum class Incoming {
    Other,   // not a request: someone else's message
    Refused, // a request that is too long, empty, or not from an answer window
    Request,
};
Incoming takeRequest(WPARAM wParam, LPARAM lParam, std::string& wireText, HWND& answerTo);
// A window of the answer class (not a child window).
bool isAnswerWindow(HWND window);
// In the panel: sends the answer to an answer window, waiting ANSWER_SEND_MS
// at most; false when it was not delivered.
bool sendAnswer(HWND answerTo, const RequestAnswer& answer);
constexpr DWORD ANSWER_SEND_MS = 250;

} // namespace velmora
