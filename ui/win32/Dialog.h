// Base for modal and modeless dialogs built from templates in the program's
// resources: the dialog procedure finds its C++ object (DWLP_USER, set at
// WM_INITDIALOG) and forwards every message to the virtual handleMessage.
// Owner-drawn children are served as described in Window.h.
#pragma once

#include <windows.h>

namespace velmora {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog(); // destroys a modeless window still alive, without calling back

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Runs the dialog modally; answers EndDialog's result, or -1 when the
    // dialog could not be created.
    INT_PTR runModal(HWND owner, int templateId);

    // Creates the dialog modelessly (a child dialog when the template says
    // WS_CHILD). False when the window could not be created.
    bool createModeless(HWND parent, int templateId);

    void endDialog(INT_PTR result);
    void destroyWindow();

protected:
    // Called for every message after WM_INITDIALOG's binding (WM_INITDIALOG
    // included). Answer as a dialog procedure does: TRUE when handled (for
    // messages whose answer is a value, use setMessageResult), FALSE to let
    // the dialog manager handle it; WM_CTLCOLOR* answer the brush.
    virtual INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void setMessageResult(LRESULT result);

    // Called once after WM_NCDESTROY, when the window no longer exists.
    virtual void onFinalMessage() {}

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void detach();

    HWND hwnd_ = nullptr;
};

} // namespace velmora
