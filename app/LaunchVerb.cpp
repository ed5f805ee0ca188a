#include "app/LaunchVerb.h"

#include <cstring>

namespace velmora {

LaunchVerb launchVerbFor(int argc, const char* const* argv) {
    if (argc <= 1 || !argv) return LaunchVerb::Panel;
    if (argc > 2 || !argv[1]) return LaunchVerb::Unknown;
    if (std::strcmp(argv[1], "--exit") == 0) return LaunchVerb::ExitPanel;
    if (std::strcmp(argv[1], "--background") == 0) return LaunchVerb::BackgroundPanel;
    return LaunchVerb::Unknown;
}

const char* usageLine() { return "usage: VelPanel.exe [--background | --exit]"; }

int exitCodeFor(PanelExitOutcome outcome) {
    switch (outcome) {
    case PanelExitOutcome::Ended: return 0;
    case PanelExitOutcome::NotInTime: return 1;
    case PanelExitOutcome::NoPanel: return 3;
    }
    return 1;
}

const char* reasonFor(PanelExitOutcome outcome) {
    switch (outcome) {
    case PanelExitOutcome::Ended: return nullptr;
    case PanelExitOutcome::NotInTime: return "VelPanel: the running panel did not end in time";
    case PanelExitOutcome::NoPanel: return "VelPanel: no panel is running";
    }
    return nullptr;
}

} // namespace velmora
