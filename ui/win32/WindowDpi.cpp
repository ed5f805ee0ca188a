#include "ui/win32/WindowDpi.h"

#include "ui/win32/Gdi.h"

namespace velmora {

namespace {

template <typename Function>
Function user32Function(const char* name)
{
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

} // namespace

DisplayScale systemScale()
{
    WindowDC screen(nullptr);
    return displayScaleFor(screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : DisplayScale::BASE_DPI);
}

DisplayScale windowScale(HWND window)
{
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const DpiForWindow dpiForWindow = user32Function<DpiForWindow>("GetDpiForWindow");
    const UINT dpi = dpiForWindow && window ? dpiForWindow(window) : 0;
    return dpi ? displayScaleFor(static_cast<int>(dpi)) : systemScale();
}

int systemMetricFor(int index, DisplayScale scale)
{
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    static const MetricsForDpi metricsForDpi = user32Function<MetricsForDpi>("GetSystemMetricsForDpi");
    const DisplayScale system = systemScale();
    if (metricsForDpi && system != scale)
        return metricsForDpi(index, static_cast<UINT>(scale.dpi));
    const int value = ::GetSystemMetrics(index);
    return system == scale ? value : MulDiv(value, scale.dpi, system.dpi);
}

void keepOwnLayoutOnDpiChange(HWND dialog)
{
    using DialogBehaviour = BOOL(WINAPI*)(HWND, int, int);
    static const DialogBehaviour setBehaviour = user32Function<DialogBehaviour>("SetDialogDpiChangeBehavior");
    const int disableAll = 1; // DDC_DISABLE_ALL
    if (setBehaviour && dialog)
        setBehaviour(dialog, disableAll, disableAll);
}

void placeChild(HWND child, PixelBox box)
{
    if (child)
        ::SetWindowPos(child, nullptr, box.left, box.top, box.width(), box.height(),
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void moveChild(HWND child, int x, int y)
{
    if (child)
        ::SetWindowPos(child, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

} // namespace velmora
