#include "app/MenuChecks.h"

#include "app/MenuCommands.h"
#include "app/PanelView.h"
#include "settings/SampleRates.h"

namespace velmora {

void showMenuChecks(PanelView& view, bool unitOpen, int32_t rate, int32_t latency, int32_t clockMode) {
    for (unsigned item : RATE_MENU_ITEMS) view.setMenuCheck(item, false);
    if (unitOpen && sampleRateIndex(rate) >= 0) view.setMenuCheck(RATE_MENU_ITEMS[sampleRateIndex(rate)], true);

    for (unsigned item = CMD_LATENCY_FIRST; item <= CMD_LATENCY_LAST; ++item) view.setMenuCheck(item, false);
    if (unitOpen && latency >= 1 && latency <= 6) view.setMenuCheck(CMD_RATE_96000 + unsigned(latency), true);

    view.setMenuCheck(CMD_CLOCK_AUTO, unitOpen && clockMode == 0);
    view.setMenuCheck(CMD_CLOCK_INTERNAL, unitOpen && clockMode == 1);
}

} // namespace velmora
