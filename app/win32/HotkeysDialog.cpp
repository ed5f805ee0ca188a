// Config > Hotkeys...: the dialog of GlobalHotkeys.h.
#include "app/win32/GlobalHotkeys.h"

#include "app/MonitorActions.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/WideText.h"
#include "res/resource.h"

#include <commctrl.h>

namespace velmora {

namespace {

// The hotkey field's flags and the registration's modifiers differ in order.
KeyCombo comboOfField(WORD value) {
    const BYTE flags = HIBYTE(value);
    KeyCombo combo;
    combo.key = LOBYTE(value);
    if (flags & HOTKEYF_ALT) combo.modifiers |= MOD_KEY_ALT;
    if (flags & HOTKEYF_CONTROL) combo.modifiers |= MOD_KEY_CTRL;
    if (flags & HOTKEYF_SHIFT) combo.modifiers |= MOD_KEY_SHIFT;
    return combo;
}

WORD fieldOfCombo(const KeyCombo& combo) {
    BYTE flags = 0;
    if (combo.modifiers & MOD_KEY_ALT) flags |= HOTKEYF_ALT;
    if (combo.modifiers & MOD_KEY_CTRL) flags |= HOTKEYF_CONTROL;
    if (combo.modifiers & MOD_KEY_SHIFT) flags |= HOTKEYF_SHIFT;
    return MAKEWORD(combo.key, flags);
}

// Backspace or Delete alone clears a field (the field itself would show them
// as no key at all, and there is no other way by keyboard).
LRESULT CALLBACK clearingField(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_KEYDOWN && (wParam == VK_BACK || wParam == VK_DELETE) && GetKeyState(VK_CONTROL) >= 0 &&
        GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
        SendMessageW(field, HKM_SETHOTKEY, 0, 0);
        return 0;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

struct DialogState {
    HotkeySettings settings;
};

void fill(HWND dialog, const HotkeySettings& s) {
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) {
        HWND field = GetDlgItem(dialog, IDC_HOTKEY_FIRST + i);
        SendMessageW(field, HKM_SETHOTKEY, fieldOfCombo(s.bindings[size_t(i)]), 0);
        SetWindowSubclass(field, clearingField, 1, 0);
    }
    HWND pair = GetDlgItem(dialog, IDC_HOTKEY_PAIR);
    for (int p = 1; p <= 4; ++p)
        SendMessageW(pair, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(MonitorActions::pairText(p)).c_str()));
    SendMessageW(pair, CB_SETCURSEL, WPARAM(s.pair - 1), 0);
    SetDlgItemInt(dialog, IDC_HOTKEY_DIM, UINT(s.dimDb), FALSE);
    SendDlgItemMessageW(dialog, IDC_HOTKEY_DIM, EM_LIMITTEXT, 2, 0);
    HWND coarse = GetDlgItem(dialog, IDC_HOTKEY_COARSE);
    for (int half = COARSE_STEP_MIN_HALF_DB; half <= COARSE_STEP_MAX_HALF_DB; ++half) {
        const std::wstring text = std::to_wstring(half / 2) + (half % 2 ? L".5 dB" : L".0 dB");
        SendMessageW(coarse, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(coarse, CB_SETCURSEL, WPARAM(s.coarseHalfDb - COARSE_STEP_MIN_HALF_DB), 0);
    CheckDlgButton(dialog, IDC_HOTKEY_ON_SCREEN, s.onScreen ? BST_CHECKED : BST_UNCHECKED);
}

// The fields into `s`; false (told in a box, the field focused) when they
// cannot be kept.
bool take(HWND dialog, HotkeySettings& s) {
    HotkeySettings taken = s;
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) {
        const KeyCombo shown = comboOfField(WORD(SendDlgItemMessageW(dialog, IDC_HOTKEY_FIRST + i, HKM_GETHOTKEY, 0, 0)));
        // A binding with the Windows key, which the field cannot show, stays
        // as it was unless the field was changed.
        KeyCombo old = s.bindings[size_t(i)];
        KeyCombo oldShown = old;
        oldShown.modifiers &= uint8_t(~MOD_KEY_WIN);
        taken.bindings[size_t(i)] = shown == oldShown ? old : shown;
    }
    taken.pair = int(SendDlgItemMessageW(dialog, IDC_HOTKEY_PAIR, CB_GETCURSEL, 0, 0)) + 1;
    BOOL read = FALSE;
    taken.dimDb = int(GetDlgItemInt(dialog, IDC_HOTKEY_DIM, &read, FALSE));
    if (!read) taken.dimDb = 0;
    taken.coarseHalfDb = int(SendDlgItemMessageW(dialog, IDC_HOTKEY_COARSE, CB_GETCURSEL, 0, 0)) + COARSE_STEP_MIN_HALF_DB;
    taken.onScreen = IsDlgButtonChecked(dialog, IDC_HOTKEY_ON_SCREEN) == BST_CHECKED;
    const std::string problem = hotkeySettingsProblem(taken);
    if (!problem.empty()) {
        messageBox(dialog, problem, CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
        return false;
    }
    s = taken;
    return true;
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        fill(dialog, reinterpret_cast<DialogState*>(lParam)->settings);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (state && take(dialog, state->settings)) EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_DESTROY:
        for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i)
            RemoveWindowSubclass(GetDlgItem(dialog, IDC_HOTKEY_FIRST + i), clearingField, 1);
        break;
    }
    return FALSE;
}

} // namespace

bool runHotkeysDialog(HWND owner, HotkeySettings& settings) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    DialogState state{settings};
    const INT_PTR chosen = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HOTKEYS), owner, dialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (chosen != IDOK) return false;
    settings = state.settings;
    return true;
}

} // namespace velmora
