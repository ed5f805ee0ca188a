#include "app/PanelExitOutcome.h"

#include "app/CommandLine.h"

namespace velmora {

int exitCodeFor(PanelExitOutcome outcome) {
    switch (outcome) {
    case PanelExitOutcome::Ended: return EXIT_DONE;
    case PanelExitOutcome::NotInTime: return EXIT_FAILED;
    case PanelExitOutcome::NoPanel: return EXIT_NO_PANEL;
    }
    return EXIT_FAILED;
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
