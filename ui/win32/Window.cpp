#include "ui/win32/Window.h"

namespace velmora {

namespace {
// Subclassed windows keep their object in a window property: the foreign
// class may use GWLP_USERDATA itself.
const char kObjectProperty[] = "velmora.window";
} // namespace

Window::~Window()
{
    if (hwnd_) {
        HWND hwnd = hwnd_;
        detach();
        ::DestroyWindow(hwnd);
    }
}

bool Window::registerClass(const char* className, UINT classStyle, HBRUSH background, HCURSOR cursor)
{
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExA(instance, className, &existing))
        return true;

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &Window::windowProc;
    wc.hInstance = instance;
    wc.hCursor = cursor ? cursor : ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::createWindow(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                          int x, int y, int width, int height, HWND parent, int id)
{
    if (hwnd_)
        return false;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    HWND hwnd = ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                  menu, ::GetModuleHandleA(nullptr), this);
    return hwnd != nullptr;
}

bool Window::attach(HWND hwnd)
{
    if (hwnd_ || !hwnd || !::IsWindow(hwnd))
        return false;
    if (!::SetPropA(hwnd, kObjectProperty, this))
        return false;
    hwnd_ = hwnd;
    superProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::subclassProc)));
    return true;
}

void Window::destroyWindow()
{
    if (hwnd_)
        ::DestroyWindow(hwnd_);
}

bool Window::reflectDrawItem(LPARAM drawItem)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(drawItem);
    if (!item || item->CtlType == ODT_MENU || !item->hwndItem)
        return false;
    return ::SendMessageA(item->hwndItem, kReflectedDrawItem, 0, drawItem) != 0;
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return defaultHandling(message, wParam, lParam);
}

LRESULT Window::defaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (superProc_)
        return ::CallWindowProcA(superProc_, hwnd_, message, wParam, lParam);
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

void Window::detach()
{
    if (!hwnd_)
        return;
    if (superProc_) {
        ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
        ::RemovePropA(hwnd_, kObjectProperty);
    } else {
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    }
    hwnd_ = nullptr;
    superProc_ = nullptr;
}

LRESULT Window::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DRAWITEM && reflectDrawItem(lParam))
        return TRUE;
    if (message != WM_NCDESTROY)
        return handleMessage(message, wParam, lParam);

    // Last message: let the handler see it, then unbind so that nothing
    // reaches the object once the window is gone.
    LRESULT result = handleMessage(message, wParam, lParam);
    detach();
    onFinalMessage();
    return result;
}

LRESULT CALLBACK Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self && message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    return self->dispatch(message, wParam, lParam);
}

LRESULT CALLBACK Window::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<Window*>(::GetPropA(hwnd, kObjectProperty));
    if (!self)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    return self->dispatch(message, wParam, lParam);
}

} // namespace velmora
