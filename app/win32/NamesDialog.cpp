#include "app/win32/NamesDialog.h"

#include "app/MenuCommands.h"
#include "app/PanelCore.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/FormDialog.h"
#include "app/win32/WideText.h"
#include "res/resource.h"

namespace velmora {

namespace {

// The edit fields: the inputs' first, then the outputs', in the dialog's order.
int fieldId(ChannelKind kind, int number) {
    return IDC_NAME_FIRST + (kind == ChannelKind::Input ? 0 : NAMED_INPUTS) + number - 1;
}

} // namespace

ChannelNames NamesDialog::stored() {
    ChannelNames names;
    std::string problem;
    if (store_ && !loadChannelNames(*store_, names, problem))
        log_.write("the stored channel names were ignored: " + problem);
    return names;
}

bool NamesDialog::onCommand(unsigned id) {
    if (id != CMD_NAMES) return false;
    if (core_.boxOpen() || !store_) return true;
    names_ = stored();
    INT_PTR chosen = IDCANCEL;
    {
        PanelCore::BoxScope dialog(core_);
        chosen = runFormDialog(
            window_, IDD_NAMES, [this](HWND form) { fill(form); }, [this](HWND form) { return take(form); });
    }
    if (chosen != IDOK) return true;
    bool renamed = false;
    if (!replaceChannelNames(*store_, names_, renamed)) {
        log_.write("the channel names could not be saved");
        PanelCore::BoxScope box(core_);
        messageBox(window_, "The channel names could not be saved.", CPanelApp::applicationName(),
                   MB_OK | MB_ICONSTOP);
        return true;
    }
    if (!renamed) return true; // OK with the names as they were
    log_.write("channel names saved");
    if (changed_) changed_(names_);
    return true;
}

void NamesDialog::fill(HWND dialog) const {
    for (ChannelKind kind : {ChannelKind::Input, ChannelKind::Output}) {
        for (int number = 1; number <= ChannelNames::count(kind); ++number) {
            SendDlgItemMessageW(dialog, fieldId(kind, number), EM_LIMITTEXT, 2 * CHANNEL_NAME_MAX, 0);
            SetDlgItemTextW(dialog, fieldId(kind, number), widen(names_.name(kind, number)).c_str());
        }
    }
}

bool NamesDialog::take(HWND dialog) {
    ChannelNames taken;
    for (ChannelKind kind : {ChannelKind::Input, ChannelKind::Output}) {
        for (int number = 1; number <= ChannelNames::count(kind); ++number) {
            const std::string name = dialogFieldText(dialog, fieldId(kind, number));
            const std::string why = checkChannelName(name);
            if (!why.empty()) {
                messageBox(dialog, "The name of " + channelNumberText(kind, number) + " " + why + ".",
                           CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
                SetFocus(GetDlgItem(dialog, fieldId(kind, number)));
                SendDlgItemMessageW(dialog, fieldId(kind, number), EM_SETSEL, 0, -1);
                return false;
            }
            taken.set(kind, number, name);
        }
    }
    names_ = taken;
    return true;
}

} // namespace velmora
