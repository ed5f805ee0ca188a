// emptydialog: the smallest Win32 dialog program, as a yardstick for the
// panel's working set under the same Wine. A modal dialog from an in-memory
// template with no controls; it runs for the given number of seconds (or until
// closed), shown or hidden.
//
//   emptydialog <seconds> [hidden]
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Template {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};

UINT g_seconds = 10;
bool g_hidden = false;

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, "Empty dialog");
        SetTimer(dialog, 1, g_seconds * 1000, nullptr);
        if (g_hidden) PostMessageA(dialog, WM_USER + 1, 0, 0);
        return TRUE;
    case WM_USER + 1:
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
    case WM_TIMER:
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_seconds = static_cast<UINT>(std::atoi(argv[1]));
    g_hidden = argc > 2 && std::strcmp(argv[2], "hidden") == 0;
    Template dialog{};
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    dialog.header.cx = 200;
    dialog.header.cy = 100;
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, nullptr, dialogProc, 0);
    return 0;
}
