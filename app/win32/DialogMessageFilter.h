// Sees each message of this thread before the dialog manager handles it (the
// message filter that every modal dialog loop and IsDialogMessage call), so
// that the main window can take keys the dialog manager would use itself:
// Ctrl+Tab would otherwise move the focus like Tab. One filter at a time.
#pragma once

#include <windows.h>

namespace velmora {

class DialogMessageFilter {
public:
    // Answers true when it handled the message (the dialog manager then
    // does nothing with it).
    using Handler = bool (*)(void* context, const MSG& message);

    DialogMessageFilter() = default;
    ~DialogMessageFilter();
    DialogMessageFilter(const DialogMessageFilter&) = delete;
    DialogMessageFilter& operator=(const DialogMessageFilter&) = delete;

    bool install(Handler handler, void* context);
    void remove();

private:
    static LRESULT CALLBACK filter(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = nullptr;
    Handler handler_ = nullptr;
    void* context_ = nullptr;
};

} // namespace velmora
