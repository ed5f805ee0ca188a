#include "app/win32/RequestChannel.h"

#include <cstdio>
#include <cstring>

namespace velmora {

namespace {

constexpr const char* ANSWER_CLASS = "VelPanelRequestAnswer";

struct Waiting {
    bool answered = false;
    RequestAnswer answer;
};

// The answer: its code, a line break, its text.
LRESULT CALLBACK answerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* waiting = reinterpret_cast<Waiting*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (waiting && data && data->dwData == ANSWER_COPYDATA && data->lpData) {
            const std::string text(static_cast<const char*>(data->lpData), data->cbData);
            const size_t newline = text.find('\n');
            waiting->answer.code = std::atoi(text.substr(0, newline).c_str());
            waiting->answer.text = newline == std::string::npos ? "" : text.substr(newline + 1);
            waiting->answered = true;
            return TRUE;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool sendCopy(HWND to, HWND from, ULONG_PTR kind, const std::string& text, DWORD limitMs) {
    COPYDATASTRUCT data;
    data.dwData = kind;
    data.cbData = DWORD(text.size());
    data.lpData = const_cast<char*>(text.data());
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, limitMs, &result) != 0 &&
           result == TRUE;
}

} // namespace

RequestAnswer sendRequest(HWND panel, const PanelRequest& request, DWORD limitMs) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = answerWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = ANSWER_CLASS;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, ANSWER_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!window) return RequestAnswer{EXIT_FAILED, "No window for the panel's answer."};
    Waiting waiting;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&waiting));

    RequestAnswer answer{EXIT_NO_PANEL, "The running panel did not take the request."};
    const DWORD start = GetTickCount();
    if (sendCopy(panel, window, REQUEST_COPYDATA, encodeRequest(request), limitMs)) {
        // The panel answers once it has carried the request out, which may
        // take a message box's time.
        MSG msg;
        while (!waiting.answered && GetTickCount() - start < limitMs) {
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            }
            if (!IsWindow(panel) && !waiting.answered) break;
        }
        answer = waiting.answered ? waiting.answer
                                  : RequestAnswer{EXIT_FAILED, "The panel did not answer in time."};
        // --exit: the panel answers, then ends; it ended as asked.
        if (!waiting.answered && request.verb == RequestVerb::Exit && !IsWindow(panel))
            answer = RequestAnswer{EXIT_DONE, "The panel ended."};
    }
    DestroyWindow(window);
    return answer;
}

bool takeRequest(WPARAM wParam, LPARAM lParam, PanelRequest& request, HWND& answerTo) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != REQUEST_COPYDATA || !data->lpData || data->cbData > 4096) return false;
    const std::string text(static_cast<const char*>(data->lpData), data->cbData);
    if (!decodeRequest(text, request)) return false;
    answerTo = reinterpret_cast<HWND>(wParam);
    return true;
}

void sendAnswer(HWND answerTo, const RequestAnswer& answer) {
    if (!answerTo || !IsWindow(answerTo)) return;
    sendCopy(answerTo, nullptr, ANSWER_COPYDATA, std::to_string(answer.code) + "\n" + answer.text, 5000);
}

} // namespace velmora
