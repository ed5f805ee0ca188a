#include "app/win32/ChannelNamesShown.h"

#include "ui/ChannelTooltip.h"
#include "ui/win32/CControlPage.h"

namespace velmora {

void ChannelNamesShown::attach(CControlPage* page, HWND owner, const ChannelNames& names) {
    page_ = page;
    tips_.create(owner); // without the window the names still reach the screen reader
    namesChanged(names);
}

void ChannelNamesShown::namesChanged(const ChannelNames& names) {
    if (!page_) return;
    page_->setChannelNames(names);
    for (const ChannelControl& control : page_->channelControls())
        tips_.setText(control.window, channelTooltip(names, control.kind, control.number));
}

} // namespace velmora
