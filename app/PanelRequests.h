// Requests the running panel carries out for its command line and its File
// menu: settings files saved and loaded, the rate, the latency, an output's
// volume or mute, the state as JSON. Each is checked as the command line
// checks it, whoever sent it, and answers an exit code and one line for the
// user; a change runs as a PanelCommands command (so it is sent, stored and
// shown as a change on the pages, and a failed send is told and named).
#pragma once

#include "settings/ChannelNames.h"
#include "app/MonitorActions.h"
#include "app/PanelCommands.h"
#include "app/RequestWire.h"
#include "app/Snapshots.h"
#include "settings/PreferenceStore.h"
#include "settings/PresetFile.h"

#include <functional>
#include <string>

namespace velmora {

class PanelCore;

struct RequestAnswer {
    int code = EXIT_DONE;
    std::string text; // one line; the JSON of --status
};

class PanelRequests {
public:
    // `preferences` keeps the snapshots and the channel names (none: they
    // cannot be kept, and every channel shows its number).
    explicit PanelRequests(PanelCore& core, PreferenceStore* preferences = nullptr)
        : core_(core), commands_(core), snapshots_(core, preferences), names_(preferences) {}

    // A request as it came: checked, then carried out.
    RequestAnswer run(const PanelRequest& request);
    // A request as the text it travels as (RequestWire.h): read, checked,
    // carried out. A verb this panel does not know and a text that is no
    // request are answered EXIT_USAGE, the verb named.
    RequestAnswer runText(const std::string& wireText);

    // The monitor pair's actions (steps, dim, mute all), shared with the
    // hotkeys; without them those requests answer that they cannot be done.
    // Snapshots and settings files then take the pair's levels from before a dim.
    void setMonitor(MonitorActions* monitor) {
        monitor_ = monitor;
        snapshots_.keepUserLevels(monitor ? &monitor->dimState() : nullptr);
    }

    // Who hears the channel names a loaded settings file or a recalled
    // snapshot brought.
    void onNamesChanged(std::function<void(const ChannelNames&)> changed) {
        snapshots_.onNamesChanged(changed);
        namesChanged_ = std::move(changed);
    }

    // Who carries out --remote and --remote-port (none: answered 1).
    void onRemote(std::function<RequestAnswer(const PanelRequest&)> remote) { remote_ = std::move(remote); }

    // Settings files, also for the File menu; with the channel names (a
    // loaded file's are stored and shown with its settings).
    RequestAnswer savePreset(const std::string& path);
    RequestAnswer loadPreset(const std::string& path);
    // The state: the unit (or none), the inputs' names and the settings (each
    // output with its name), as JSON.
    std::string status();

private:
    PanelCore& core_;
    PanelCommands commands_;
    Snapshots snapshots_;
    PreferenceStore* names_;
    MonitorActions* monitor_ = nullptr;
    std::function<void(const ChannelNames&)> namesChanged_;
    std::function<RequestAnswer(const PanelRequest&)> remote_;
};

} // namespace velmora
