// Requests from a second start of VelPanel.exe to the running panel, and the
// answers back, as WM_COPYDATA messages. The second start makes a hidden
// message-only window for the answer and sends the request to the running
// panel with that window as the sender; the panel queues the request, runs
// it from its own message loop and sends the answer to that window.
#pragma once

#include "app/CommandLine.h"
#include "app/PanelRequests.h"

#include <windows.h>

#include <string>

namespace velmora {

// dwData of the two kinds of WM_COPYDATA.
constexpr ULONG_PTR REQUEST_COPYDATA = 0x564C5251; // "VLRQ"
constexpr ULONG_PTR ANSWER_COPYDATA = 0x564C5241;  // "VLRA"

// Sends `request` to the panel's window and waits (at most `limitMs`) for its
// answer. Answers EXIT_NO_PANEL when the window does not take it.
RequestAnswer sendRequest(HWND panel, const PanelRequest& request, DWORD limitMs);

// In the panel: a WM_COPYDATA that carries a request. False for any other.
bool takeRequest(WPARAM wParam, LPARAM lParam, PanelRequest& request, HWND& answerTo);
// In the panel: sends the answer to the window the request named.
void sendAnswer(HWND answerTo, const RequestAnswer& answer);

} // namespace velmora
