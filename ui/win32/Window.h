// Base for plain windows: a class registered once whose window procedure
// finds its C++ object (GWLP_USERDATA, set at WM_NCCREATE) and forwards every
// message to the virtual handleMessage. A window of another class (a BUTTON)
// can be subclassed with attach() and is then served the same way.
//
// Owner-drawn children: WM_DRAWITEM arriving at any Window or Dialog is first
// reflected to the child control as kReflectedDrawItem; a child object that
// draws itself answers TRUE there, otherwise the parent's handler sees the
// original message.
#pragma once

#include <windows.h>

namespace velmora {

// The reflected owner-draw message (the conventional OCM_DRAWITEM value).
constexpr UINT kReflectedDrawItem = WM_USER + 0x1c00 + WM_DRAWITEM;

class Window {
public:
    Window() = default;
    virtual ~Window(); // destroys a window still alive (without calling back into the object)

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Registers `className` with this base's window procedure once per
    // process (a class already registered is accepted as it is).
    static bool registerClass(const char* className, UINT classStyle = 0,
                              HBRUSH background = nullptr, HCURSOR cursor = nullptr);

    // Creates a window of a class registered through registerClass, bound to
    // this object from WM_NCCREATE on. `id` is the control id of a child window.
    bool createWindow(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                      int x, int y, int width, int height, HWND parent, int id);

    // Binds this object to an existing window of a foreign class by
    // subclassing it; unhandled messages go to the class's own procedure.
    bool attach(HWND hwnd);

    void destroyWindow();

    // Reflects a WM_DRAWITEM to the control it names; true when the control
    // drew the item itself.
    static bool reflectDrawItem(LPARAM drawItem);

protected:
    // Called for every message the window receives. Answer what the message
    // needs; call defaultHandling for everything not handled.
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

    // Called once after WM_NCDESTROY, when the window no longer exists.
    virtual void onFinalMessage() {}

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void detach();

    HWND hwnd_ = nullptr;
    WNDPROC superProc_ = nullptr; // the foreign class's procedure when subclassed
};

} // namespace velmora
