#include "app/win32/FormDialog.h"

namespace velmora {

namespace {

struct Form {
    const std::function<void(HWND)>& fill;
    const std::function<bool(HWND)>& take;
};

INT_PTR CALLBACK formDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<Form*>(lParam)->fill(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (form && form->take(dialog)) EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

INT_PTR runFormDialog(HWND owner, int templateId, const std::function<void(HWND)>& fill,
                      const std::function<bool(HWND)>& take) {
    Form form{fill, take};
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, formDialogProc,
                           reinterpret_cast<LPARAM>(&form));
}

} // namespace velmora
