#include "app/win32/RequestChannel.h"

#include <cwchar>

namespace velmora {

const wchar_t* const ANSWER_WINDOW_CLASS = L"VelPanelRequestAnswer";

namespace {

// How long the panel's window may take to take a request: it only queues it.
constexpr DWORD kTakeLimitMs = 5000;

struct Waiting {
    bool answered = false;
    RequestAnswer answer;
};

LRESULT CALLBACK answerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* waiting = reinterpret_cast<Waiting*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (waiting && !waiting->answered && data && data->dwData == ANSWER_COPYDATA) {
            const std::string text = data->lpData ? std::string(static_cast<const char*>(data->lpData), data->cbData)
                                                  : std::string();
            if (!readAnswer(text, waiting->answer))
                waiting->answer = RequestAnswer{EXIT_FAILED, "The panel's answer could not be read."};
            waiting->answered = true;
            return TRUE;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

COPYDATASTRUCT copyOf(ULONG_PTR kind, const std::string& text) {
    COPYDATASTRUCT data;
    data.dwData = kind;
    data.cbData = DWORD(text.size());
    data.lpData = const_cast<char*>(text.data());
    return data;
}

// The answer window of this process, message-only.
HWND createAnswerWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = answerWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = ANSWER_WINDOW_CLASS;
    RegisterClassW(&wc);
    return CreateWindowExW(0, ANSWER_WINDOW_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

RequestAnswer notAnswered() { return RequestAnswer{EXIT_FAILED, "The panel did not answer."}; }

} // namespace

bool readAnswer(const std::string& text, RequestAnswer& answer) {
    const size_t newline = text.find('\n');
    if (newline != 1 || text[0] < '0' || text[0] > '0' + EXIT_NO_UNIT) return false;
    answer.code = text[0] - '0';
    answer.text = text.substr(newline + 1);
    return true;
}

RequestAnswer sendRequest(HWND panel, const std::string& wireText, DWORD answerLimitMs) {
    HWND window = createAnswerWindow();
    if (!window) return RequestAnswer{EXIT_FAILED, "No window for the panel's answer."};
    Waiting waiting;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&waiting));

    COPYDATASTRUCT data = copyOf(REQUEST_COPYDATA, wireText);
    DWORD_PTR receipt = RECEIPT_REFUSED;
    const DWORD start = GetTickCount();
    RequestAnswer answer;
    if (!SendMessageTimeoutW(panel, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kTakeLimitMs, &receipt)) {
        answer = notAnswered();
    } else if (receipt == RECEIPT_BUSY) {
        answer = RequestAnswer{EXIT_FAILED, "The panel is busy; try again."};
    } else if (receipt != RECEIPT_TAKEN) {
        answer = RequestAnswer{EXIT_USAGE, "The running panel does not know --" + wireText.substr(0, wireText.find('\n')) +
                                               "; it may be an older version."};
    } else {
        // The panel answers once it has carried the request out, which may
        // take a message box's time.
        MSG msg;
        while (!waiting.answered && GetTickCount() - start < answerLimitMs && IsWindow(panel)) {
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        // An answer sent as the window ended is still in the queue.
        while (!waiting.answered && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        answer = waiting.answered ? waiting.answer : notAnswered();
    }
    DestroyWindow(window);
    return answer;
}

bool isAnswerWindow(HWND window) {
    if (!window || !IsWindow(window)) return false;
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) return false;
    wchar_t name[64] = {};
    return GetClassNameW(window, name, 64) > 0 && std::wcscmp(name, ANSWER_WINDOW_CLASS) == 0;
}

Incoming takeRequest(WPARAM wParam, LPARAM lParam, std::string& wireText, HWND& answerTo) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != REQUEST_COPYDATA) return Incoming::Other;
    answerTo = reinterpret_cast<HWND>(wParam);
    if (!data->lpData || data->cbData == 0 || data->cbData > REQUEST_MAX_BYTES || !isAnswerWindow(answerTo))
        return Incoming::Refused;
    wireText.assign(static_cast<const char*>(data->lpData), data->cbData);
    return Incoming::Request;
}

bool sendAnswer(HWND answerTo, const RequestAnswer& answer) {
    if (!isAnswerWindow(answerTo)) return false;
    const std::string text = std::to_string(answer.code) + "\n" + answer.text;
    COPYDATASTRUCT data = copyOf(ANSWER_COPYDATA, text);
    DWORD_PTR result = 0;
    // Never longer than this: a hung asker must not stop the panel's timers.
    return SendMessageTimeoutW(answerTo, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, ANSWER_SEND_MS, &result) != 0 &&
           result == TRUE;
}

} // namespace velmora
