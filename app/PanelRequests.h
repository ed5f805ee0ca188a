// Requests the running panel carries out for its command line and its File
// menu: settings files saved and loaded, the rate, the latency, an output's
// volume or mute, the state as JSON. Each answers an exit code and one line
// for the user; a change goes through the same apply operations as a change
// on the pages (so it is sent, stored and shown, and a failed send is told).
#pragma once

#include "app/CommandLine.h"
#include "settings/PresetFile.h"

#include <string>

namespace velmora {

class PanelCore;

struct RequestAnswer {
    int code = EXIT_DONE;
    std::string text; // one line; the JSON of --status
};

class PanelRequests {
public:
    explicit PanelRequests(PanelCore& core) : core_(core) {}

    RequestAnswer run(const PanelRequest& request);
    // A request as it travels (see encodeRequest): decoded and run; one the
    // panel cannot read is answered EXIT_USAGE, naming it.
    RequestAnswer runText(const std::string& wireText);

    // Settings files, also for the File menu.
    RequestAnswer savePreset(const std::string& path);
    RequestAnswer loadPreset(const std::string& path);
    // The state: the unit (or none) and the settings, as JSON.
    std::string status();

    // A request that came with the start of this panel and waits for a unit:
    // carried out by the first arrival, then forgotten.
    void setWaiting(const PanelRequest& request);
    bool hasWaiting() const { return waiting_.verb != RequestVerb::None; }
    RequestAnswer runWaiting();

private:
    RequestAnswer changeOutput(const PanelRequest& request);
    RequestAnswer pickFromMenu(unsigned command, int32_t PanelSettings::*field, int32_t value, const char* what);

    PanelCore& core_;
    PanelRequest waiting_;
};

} // namespace velmora
