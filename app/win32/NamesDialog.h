// Config > Names...: a dialog listing every input and output, each with its
// number as a label and its name in an edit field, in Tab order. OK checks
// every name; one that is refused is told in a box naming its channel and
// nothing is saved. The dialog and its boxes count as open boxes of the panel.
#pragma once

#include "settings/ChannelNames.h"
#include "app/DiagnosticsLog.h"

#include <windows.h>

#include <functional>

namespace velmora {

class PanelCore;

class NamesDialog {
public:
    // `store` keeps the names (none: the command does nothing); `changed`
    // hears the names after they were saved.
    NamesDialog(PanelCore& core, PreferenceStore* store, DiagnosticsLog& log) : core_(core), store_(store), log_(log) {}

    void attach(HWND window, std::function<void(const ChannelNames&)> changed) {
        window_ = window;
        changed_ = std::move(changed);
    }
    // The names as stored (a damaged value is logged and gives no names).
    ChannelNames stored();
    // Config > Names...; false for any other command.
    bool onCommand(unsigned id);

private:
    void fill(HWND dialog) const;
    // The fields' names into `names_`; false (told in a box) for one refused.
    bool take(HWND dialog);

    PanelCore& core_;
    PreferenceStore* store_;
    DiagnosticsLog& log_;
    HWND window_ = nullptr;
    std::function<void(const ChannelNames&)> changed_;
    ChannelNames names_;
};

} // namespace velmora
