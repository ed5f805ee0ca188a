#include "app/win32/SnapshotMenu.h"

#include "app/MenuCommands.h"
#include "app/PanelCore.h"
#include "app/RequestWire.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/WideText.h"
#include "res/resource.h"

namespace velmora {

namespace {

struct StoreChoice {
    std::array<std::string, SNAPSHOT_COUNT> names;
    int slot = 1;
    std::string name;
};

std::wstring slotLabel(int slot, const std::string& name) {
    return std::to_wstring(slot) + L" " + (name.empty() ? std::wstring(L"(empty)") : widen(name));
}

INT_PTR CALLBACK storeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* choice = reinterpret_cast<StoreChoice*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        choice = reinterpret_cast<StoreChoice*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        HWND slots = GetDlgItem(dialog, IDC_SNAPSHOT_SLOT);
        for (int slot = 1; slot <= SNAPSHOT_COUNT; ++slot)
            SendMessageW(slots, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(slotLabel(slot, choice->names[slot - 1]).c_str()));
        SendMessageW(slots, CB_SETCURSEL, WPARAM(choice->slot - 1), 0);
        SendDlgItemMessageW(dialog, IDC_SNAPSHOT_NAME, EM_LIMITTEXT, SNAPSHOT_NAME_MAX * 2, 0);
        SetDlgItemTextW(dialog, IDC_SNAPSHOT_NAME, widen(choice->names[choice->slot - 1]).c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SNAPSHOT_SLOT && HIWORD(wParam) == CBN_SELCHANGE) {
            const LRESULT index = SendDlgItemMessageW(dialog, IDC_SNAPSHOT_SLOT, CB_GETCURSEL, 0, 0);
            if (index >= 0 && index < SNAPSHOT_COUNT)
                SetDlgItemTextW(dialog, IDC_SNAPSHOT_NAME, widen(choice->names[size_t(index)]).c_str());
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            const LRESULT index = SendDlgItemMessageW(dialog, IDC_SNAPSHOT_SLOT, CB_GETCURSEL, 0, 0);
            wchar_t text[128] = {};
            const int length = GetDlgItemTextW(dialog, IDC_SNAPSHOT_NAME, text, int(sizeof text / sizeof text[0]));
            std::string name;
            toUtf8(text, size_t(length > 0 ? length : 0), name);
            choice->slot = int(index) + 1;
            choice->name = name;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

} // namespace

bool SnapshotMenu::onCommand(unsigned id) {
    if (id == CMD_SNAPSHOT_STORE) {
        // A command queued before one of the panel's boxes opened is not
        // taken under it, as the pages' changes are not.
        if (!core_.boxOpen()) storeCurrent();
        return true;
    }
    if (id < CMD_SNAPSHOT_FIRST || id > CMD_SNAPSHOT_LAST) return false;
    if (core_.boxOpen()) return true;
    const int slot = int(id - CMD_SNAPSHOT_FIRST) + 1;
    const SnapshotAnswer answer = snapshots_.recall(slot);
    log_.write("recall snapshot " + std::to_string(slot) + ": " + answer.text);
    tell(answer);
    return true;
}

void SnapshotMenu::storeCurrent() {
    StoreChoice choice;
    choice.names = snapshots_.names();
    const int current = snapshots_.currentSlot();
    choice.slot = current ? current : 1;
    INT_PTR chosen = IDCANCEL;
    {
        PanelCore::BoxScope dialog(core_);
        chosen = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SNAPSHOT_STORE), window_,
                                 storeDialogProc, reinterpret_cast<LPARAM>(&choice));
    }
    if (chosen != IDOK) return;
    const SnapshotAnswer answer = snapshots_.store(choice.slot, choice.name);
    log_.write("store snapshot " + std::to_string(choice.slot) + ": " + answer.text);
    tell(answer);
}

void SnapshotMenu::tell(const SnapshotAnswer& answer) {
    if (answer.code == EXIT_DONE) return;
    PanelCore::BoxScope box(core_);
    messageBox(window_, answer.text, CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
}

void SnapshotMenu::onMenuPopup(HMENU menu) {
    if (GetMenuState(menu, CMD_SNAPSHOT_FIRST, MF_BYCOMMAND) == UINT(-1)) return;
    const std::array<std::string, SNAPSHOT_COUNT> names = snapshots_.names();
    const int current = snapshots_.currentSlot();
    for (int slot = 1; slot <= SNAPSHOT_COUNT; ++slot) {
        const UINT id = CMD_SNAPSHOT_FIRST + UINT(slot - 1);
        const std::wstring label = slotLabel(slot, names[size_t(slot - 1)]);
        ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING | (names[size_t(slot - 1)].empty() ? MF_GRAYED : 0), id,
                    label.c_str());
        CheckMenuItem(menu, id, MF_BYCOMMAND | (slot == current ? MF_CHECKED : MF_UNCHECKED));
    }
}

} // namespace velmora
