#include "app/RemoteControl.h"

#include "app/PanelCore.h"
#include "app/RequestWire.h"
#include "app/VolumeSteps.h"
#include "device/USBDevice.h"
#include "settings/PanelSettings.h"
#include "ui/MeterMath.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace velmora {

namespace {

constexpr const char* ROOT = "velpanel";
// 26 levels, then 26 clip latches (1 closed).
constexpr char METER_TAGS[] = "iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii";
static_assert(sizeof METER_TAGS - 1 == 2 * MeterHold::METERS, "one level and one latch per meter");

std::vector<std::string> split(std::string_view address) {
    std::vector<std::string> parts;
    size_t at = 1;
    while (at <= address.size()) {
        const size_t end = std::min(address.find('/', at), address.size());
        parts.emplace_back(address.substr(at, end - at));
        at = end + 1;
    }
    return parts;
}

// "1".."count" only: no sign, no leading zero, no other characters.
int channelNumber(const std::string& text, int count) {
    if (text.empty() || text.size() > 2 || text[0] == '0') return 0;
    int n = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
        n = n * 10 + (c - '0');
    }
    return n <= count ? n : 0;
}

bool intArg(const osc::Arg& arg, int32_t& value) {
    switch (arg.type) {
    case 'i':
    case 'T':
    case 'F':
        value = arg.i;
        return true;
    case 'f':
        if (!std::isfinite(arg.f) || arg.f != std::floor(arg.f) || std::fabs(arg.f) > 1e9f) return false;
        value = int32_t(arg.f);
        return true;
    default:
        return false;
    }
}

bool floatArg(const osc::Arg& arg, double& value) {
    if (arg.type == 'f') value = arg.f;
    else if (arg.type == 'i') value = arg.i;
    else if (arg.type == 'd') value = arg.d;
    else return false;
    return true;
}

bool switchArg(const osc::Arg& arg, bool& on) {
    int32_t value = 0;
    if (!intArg(arg, value) || (value != 0 && value != 1)) return false;
    on = value == 1;
    return true;
}

const char* clockText(int32_t mode) { return mode == 0 ? "auto" : mode == 1 ? "internal" : "unknown"; }

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

RemoteControl::Value intValue(std::string address, int32_t value) {
    RemoteControl::Value v;
    v.address = std::move(address);
    v.i = value;
    return v;
}

} // namespace

RemoteControl::RemoteControl(PanelCore& core, PreferenceStore* preferences, RemoteLink& link)
    : core_(core), commands_(core), snapshots_(core, preferences), preferences_(preferences), link_(link) {}

void RemoteControl::setMonitor(MonitorActions* monitor) {
    monitor_ = monitor;
    snapshots_.keepUserLevels(monitor ? &monitor->dimState() : nullptr);
}

void RemoteControl::setSettings(const RemoteSettings& settings) {
    settings_ = settings;
    if (!settings_.on) {
        subscribers_.clear();
        meterSubscribers_.clear();
        told_.clear();
    }
    // A host no longer allowed hears nothing more.
    auto gone = [&](const Subscriber& s) { return !settings_.allows(s.peer.host); };
    subscribers_.erase(std::remove_if(subscribers_.begin(), subscribers_.end(), gone), subscribers_.end());
    meterSubscribers_.erase(std::remove_if(meterSubscribers_.begin(), meterSubscribers_.end(), gone),
                            meterSubscribers_.end());
}

// ---------------------------------------------------------------------------
// Packets

void RemoteControl::onPacket(const RemotePeer& from, const uint8_t* data, size_t size) {
    // Anyone not allowed is dropped unanswered, before the packet is read.
    if (!settings_.on || !settings_.allows(from.host)) return;
    from_ = from;
    const osc::ReadError error = osc::readPacket(data, size, this);
    if (error != osc::ReadError::None) tellError("", osc::describe(error));
}

void RemoteControl::message(const osc::Message& message) { handle(message); }

void RemoteControl::handle(const osc::Message& m) {
    const std::vector<std::string> parts = split(m.address);
    const std::string address(m.address);
    if (parts.size() < 2 || parts[0] != ROOT) return tellError(address, "unknown address");
    const std::string& what = parts[1];
    if (parts.size() == 2 && what == "ping") {
        if (m.argCount) return tellError(address, "takes no arguments");
        uint8_t buffer[32];
        osc::Writer writer(buffer, sizeof buffer);
        link_.send(from_, buffer, writer.begin("/velpanel/pong", "").size());
        return;
    }
    if (parts.size() == 2 && what == "status") {
        if (m.argCount) return tellError(address, "takes no arguments");
        return sendStatus(from_);
    }
    if (parts.size() == 2 && (what == "subscribe" || what == "unsubscribe")) {
        if (what == "subscribe") return subscribe(subscribers_, MAX_SUBSCRIBERS, m, false);
        return unsubscribe(subscribers_, m);
    }
    if (parts.size() == 3 && what == "meters" && (parts[2] == "subscribe" || parts[2] == "unsubscribe")) {
        if (parts[2] == "subscribe") return subscribe(meterSubscribers_, MAX_METER_SUBSCRIBERS, m, true);
        return unsubscribe(meterSubscribers_, m);
    }
    if (parts.size() == 4 && what == "snapshot") {
        const int slot = channelNumber(parts[2], SNAPSHOT_COUNT);
        if (!slot || (parts[3] != "recall" && parts[3] != "store")) return tellError(address, "unknown address");
        if (!preferences_) return tellError(address, "snapshots cannot be kept");
        // As the command line's requests: nothing is kept or recalled under a box.
        if (core_.boxOpen()) return tellError(address, describeOutcome(CommandOutcome{CommandStatus::BoxOpen, 0, {}, {}}));
        SnapshotAnswer answer;
        if (parts[3] == "recall") {
            if (m.argCount) return tellError(address, "takes no arguments");
            // As the hotkey's: a recall ends a dim, so that undimming later
            // does not put the levels from before the dim over the snapshot's.
            if (monitor_) {
                const MonitorAnswer recalled = monitor_->recall(slot);
                answer.code = recalled.code;
                answer.text = recalled.text;
            } else {
                answer = snapshots_.recall(slot);
            }
        } else {
            if (m.argCount > 1 || (m.argCount == 1 && m.args[0].type != 's'))
                return tellError(address, "takes one string (the name) or nothing");
            answer = snapshots_.store(slot, m.argCount ? std::string(m.args[0].s) : std::string());
        }
        if (answer.code != 0) tellError(address, answer.text);
        return;
    }
    if ((parts.size() == 3 && what == "monitor") || (parts.size() == 2 && what == "mute-all"))
        return handleMonitor(m, parts.size() == 3 ? parts[2] : what);
    if (!handleValue(m, parts)) tellError(address, "unknown address");
}

// The monitor pair's addresses, carried out as the hotkeys' actions.
void RemoteControl::handleMonitor(const osc::Message& m, const std::string& leaf) {
    const std::string address(m.address);
    if (leaf != "step" && leaf != "dim" && leaf != "mute" && leaf != "mute-all")
        return tellError(address, "unknown address");
    if (!monitor_) return tellError(address, "this panel has no monitor pair to change");
    const char* stepRule = "takes a float (dB, 0.5 to 63.5; + up, - down)";
    if (m.argCount == 0) {
        if (leaf == "step") return tellError(address, stepRule); // a step has no value to ask
        std::vector<Value> values;
        monitorValues(values);
        for (const Value& value : values)
            if (value.address == address) return send(from_, value);
        return tellError(address, describeOutcome(CommandOutcome{CommandStatus::NoUnit, 0, {}, {}}));
    }
    if (m.argCount > 1) return tellError(address, "takes one argument");
    MonitorAnswer answer;
    if (leaf == "step") {
        double db = 0.0;
        if (!floatArg(m.args[0], db)) return tellError(address, stepRule);
        const int halfDb = std::isfinite(db) ? stepHalfDb(std::fabs(db)) : 0;
        if (halfDb == 0) return tellError(address, "the step must be 0.5 to 63.5 dB, + up or - down");
        answer = monitor_->step(db < 0 ? -halfDb : halfDb);
    } else {
        bool on = false;
        if (!switchArg(m.args[0], on)) return tellError(address, "takes an integer, 0 or 1");
        answer = leaf == "dim"    ? monitor_->dim(on ? DimWish::On : DimWish::Off)
                 : leaf == "mute" ? monitor_->mute(on)
                                  : monitor_->muteAll(on);
    }
    if (answer.code != EXIT_DONE) tellError(address, answer.text);
}

// The addresses of one value: a message without arguments asks for it, one
// argument sets it. False for an address that names no value.
bool RemoteControl::handleValue(const osc::Message& m, const std::vector<std::string>& parts) {
    const std::string address(m.address);
    const std::string& what = parts[1];
    int number = 0;
    std::string leaf;
    if (parts.size() == 4 && (what == "output" || what == "input" || what == "pair")) {
        const int count = what == "output" ? OUTPUT_COUNT : what == "input" ? NAMED_INPUTS : OUTPUT_PAIRS;
        number = channelNumber(parts[2], count);
        leaf = parts[3];
        const bool known = what == "output"  ? (leaf == "volume" || leaf == "fader" || leaf == "mute" || leaf == "name")
                           : what == "input" ? leaf == "name"
                                             : leaf == "link";
        if (!number || !known) return false;
    } else if (parts.size() == 3 && what == "spdif" && parts[2] == "source") {
        leaf = "source";
    } else if (parts.size() == 2 && (what == "monitor" || what == "mix" || what == "level" || what == "format" ||
                                     what == "rate" || what == "latency" || what == "clock")) {
        leaf = what;
    } else {
        return false;
    }

    if (m.argCount == 0) {
        for (const Value& value : state())
            if (value.address == address) {
                send(from_, value);
                return true;
            }
        tellError(address, describeOutcome(CommandOutcome{CommandStatus::NoUnit, 0, {}, {}}));
        return true;
    }
    if (m.argCount > 1) {
        tellError(address, "takes one argument");
        return true;
    }
    const osc::Arg& arg = m.args[0];
    if (leaf == "name") {
        if (arg.type != 's') {
            tellError(address, "takes a string");
            return true;
        }
        std::string problem;
        if (core_.boxOpen()) // the names dialog among them: it would write its own copy over this name
            tellError(address, describeOutcome(CommandOutcome{CommandStatus::BoxOpen, 0, {}, {}}));
        else if (!setName(what == "input" ? ChannelKind::Input : ChannelKind::Output, number, std::string(arg.s), problem))
            tellError(address, problem);
        return true;
    }

    CommandOutcome outcome;
    int32_t i = 0;
    double f = 0.0;
    bool on = false;
    const char* typeProblem = nullptr;
    if (leaf == "volume") {
        if (floatArg(arg, f)) outcome = commands_.setVolumeDb(number, f);
        else typeProblem = "takes a float (dB, -63.5 to 0)";
    } else if (leaf == "fader") {
        if (!floatArg(arg, f)) typeProblem = "takes a float (0 to 1)";
        else if (!std::isfinite(f) || f < 0.0 || f > 1.0) typeProblem = "the fader must be 0 to 1";
        else outcome = commands_.setVolumeStep(number, int(std::lround(f * VOLUME_STEP_MAX)));
    } else if (leaf == "clock") {
        if (arg.type == 's') {
            const std::string mode = lower(arg.s);
            if (mode == "auto") outcome = commands_.setClockMode(0);
            else if (mode == "internal") outcome = commands_.setClockMode(1);
            else typeProblem = "the clock must be \"auto\" or \"internal\"";
        } else if (intArg(arg, i)) {
            outcome = commands_.setClockMode(i);
        } else {
            typeProblem = "takes a string (\"auto\" or \"internal\")";
        }
    } else if (leaf == "mute" || leaf == "link" || leaf == "monitor" || leaf == "mix") {
        if (!switchArg(arg, on)) typeProblem = "takes an integer, 0 or 1";
        else if (leaf == "mute") outcome = commands_.setMute(number, on);
        else if (leaf == "link") outcome = commands_.setLink(number, on);
        else if (leaf == "monitor") outcome = commands_.setDigitalMon(on);
        else outcome = commands_.setMixOutSel(!on); // the MIX switch shows the bit inverted
    } else if (!intArg(arg, i)) {
        typeProblem = "takes an integer";
    } else if (leaf == "source") {
        if (i < 1 || i > 4) typeProblem = "the S/PDIF source must be 1 to 4";
        else outcome = commands_.setSpdifSource(i - 1);
    } else if (leaf == "level") {
        outcome = commands_.setOutputLevel(i);
    } else if (leaf == "format") {
        outcome = commands_.setDigitalFormat(i);
    } else if (leaf == "rate") {
        outcome = commands_.setSampleRate(i);
    } else if (leaf == "latency") {
        outcome = commands_.setLatency(i);
    }
    if (typeProblem) tellError(address, typeProblem);
    else if (!outcome.done()) tellError(address, describeOutcome(outcome));
    return true;
}

// ---------------------------------------------------------------------------
// Subscriptions

void RemoteControl::subscribe(std::vector<Subscriber>& list, size_t most, const osc::Message& m, bool meters) {
    const std::string address(m.address);
    int32_t port = from_.port;
    if (m.argCount > 1 || (m.argCount == 1 && (!intArg(m.args[0], port) || port < 1 || port > 65535)))
        return tellError(address, "takes nothing or a port (1 to 65535)");
    expire(list);
    const RemotePeer peer{from_.host, uint16_t(port)};
    const uint64_t until = link_.nowMs() + SUBSCRIPTION_MS;
    for (Subscriber& s : list)
        if (s.peer == peer) {
            s.until = until;
            return;
        }
    if (list.size() >= most) return tellError(address, "at most " + std::to_string(most) + " subscribers");
    if (meters) {
        list.push_back({peer, until});
        return;
    }
    // The whole state once, then every change.
    const std::vector<Value> now = state();
    if (list.empty()) {
        told_ = now;
        toldMonitor_ = monitorCode();
    }
    list.push_back({peer, until});
    for (const Value& value : now) send(peer, value);
}

void RemoteControl::unsubscribe(std::vector<Subscriber>& list, const osc::Message& m) {
    int32_t port = from_.port;
    if (m.argCount > 1 || (m.argCount == 1 && (!intArg(m.args[0], port) || port < 1 || port > 65535)))
        return tellError(std::string(m.address), "takes nothing or a port (1 to 65535)");
    const RemotePeer peer{from_.host, uint16_t(port)};
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Subscriber& s) { return s.peer == peer; }),
               list.end());
    if (&list == &subscribers_ && list.empty()) told_.clear();
}

void RemoteControl::expire(std::vector<Subscriber>& list) {
    const uint64_t now = link_.nowMs();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Subscriber& s) { return s.until <= now; }),
               list.end());
    if (&list == &subscribers_ && list.empty()) told_.clear();
}

// ---------------------------------------------------------------------------
// Sending

void RemoteControl::tellError(const std::string& address, const std::string& reason) {
    const uint64_t window = link_.nowMs() / 1000;
    if (window != errorWindow_) {
        errorWindow_ = window;
        errorsInWindow_ = 0;
    }
    // Once per host, for the first 64 hosts (then no more: a flood does not fill the log).
    if (loggedSenders_.size() < 64 &&
        std::find_if(loggedSenders_.begin(), loggedSenders_.end(),
                     [&](const RemotePeer& p) { return p.host == from_.host; }) == loggedSenders_.end()) {
        loggedSenders_.push_back(from_);
        link_.log("remote: " + hostRangeText(HostRange{from_.host, 32}) + ":" + std::to_string(from_.port) +
                  " sent what was refused (" + (address.empty() ? std::string("a packet") : address) + ": " + reason +
                  "); further refusals from this host are not logged");
    }
    if (errorsInWindow_ >= ERRORS_PER_SECOND) return;
    ++errorsInWindow_;
    uint8_t buffer[512];
    osc::Writer writer(buffer, sizeof buffer);
    writer.begin("/velpanel/error", "ss").putString(address.substr(0, 200)).putString(reason.substr(0, 200));
    if (writer.size()) link_.send(from_, buffer, writer.size());
}

void RemoteControl::send(const RemotePeer& to, const Value& value) {
    uint8_t buffer[256];
    osc::Writer writer(buffer, sizeof buffer);
    writer.begin(value.address, std::string_view(&value.type, 1));
    if (value.type == 'i') writer.putInt(value.i);
    else if (value.type == 'f') writer.putFloat(value.f);
    else writer.putString(value.s);
    if (writer.size()) link_.send(to, buffer, writer.size());
}

void RemoteControl::sendStatus(const RemotePeer& to) {
    const USBDevice* unit = core_.currentDevice();
    const bool present = unit && unit->isOpen();
    std::string serial = unit ? unit->instanceId() : std::string();
    serial = serial.substr(serial.find_last_of('\\') == std::string::npos ? 0 : serial.find_last_of('\\') + 1);
    const PanelSettings& master = core_.settings();
    const int32_t rate = present && !isBlank(master) ? master.sampleRate : 0;
    uint8_t buffer[256];
    osc::Writer writer(buffer, sizeof buffer);
    writer.begin("/velpanel/status", "isi").putInt(present ? 1 : 0).putString(serial.substr(0, 100)).putInt(rate);
    if (writer.size()) link_.send(to, buffer, writer.size());
}

void RemoteControl::onMeterTick(const MeterBlock& history) {
    if (!settings_.on) return;
    int32_t levels[METERS];
    for (int m = 0; m < METER_INPUTS; ++m) levels[m] = meterLevel(history.level[METER_FIRST_INPUT + m]);
    for (int m = 0; m < METER_OUTPUTS; ++m)
        levels[METER_INPUTS + m] = meterLevel(history.level[METER_FIRST_OUTPUT + m]);
    hold_.update(levels);
    // Another monitor pair chosen (or a dim that changed no level) publishes
    // no settings: it is told here.
    if (!subscribers_.empty() && monitorCode() != toldMonitor_) tellChanges();
    if (meterSubscribers_.empty()) return;
    expire(meterSubscribers_);
    osc::Writer writer(meterPacket_.data(), meterPacket_.size());
    writer.begin("/velpanel/meters", METER_TAGS);
    for (int m = 0; m < METERS; ++m) writer.putInt(levels[m]);
    for (int m = 0; m < METERS; ++m) writer.putInt(hold_.clipped(m) ? 1 : 0);
    if (writer.size() == 0) return;
    for (const Subscriber& s : meterSubscribers_) link_.send(s.peer, meterPacket_.data(), writer.size());
}

// ---------------------------------------------------------------------------
// The state and its changes

std::vector<RemoteControl::Value> RemoteControl::state() {
    std::vector<Value> values;
    const ChannelNames names = storedNames();
    const PanelSettings& r = core_.settings();
    const bool sound = core_.currentDevice() && !isBlank(r);
    for (int n = 1; n <= OUTPUT_COUNT; ++n) {
        const std::string base = "/velpanel/output/" + std::to_string(n) + "/";
        if (sound) {
            const int step = std::min<int>(r.outVolume[n - 1], VOLUME_STEP_MAX);
            Value volume;
            volume.address = base + "volume";
            volume.type = 'f';
            volume.f = float(volumeDbOfStep(step));
            values.push_back(volume);
            volume.address = base + "fader";
            volume.f = float(step) / VOLUME_STEP_MAX;
            values.push_back(volume);
            values.push_back(intValue(base + "mute", r.outMute[n - 1] ? 1 : 0));
        }
        Value name;
        name.address = base + "name";
        name.type = 's';
        name.s = names.name(ChannelKind::Output, n);
        values.push_back(name);
    }
    for (int n = 1; n <= NAMED_INPUTS; ++n) {
        Value name;
        name.address = "/velpanel/input/" + std::to_string(n) + "/name";
        name.type = 's';
        name.s = names.name(ChannelKind::Input, n);
        values.push_back(name);
    }
    if (!sound) return values;
    for (int k = 1; k <= OUTPUT_PAIRS; ++k)
        values.push_back(intValue("/velpanel/pair/" + std::to_string(k) + "/link", r.outLink[k - 1] ? 1 : 0));
    values.push_back(intValue("/velpanel/monitor", r.cpldDigitalMon ? 1 : 0));
    values.push_back(intValue("/velpanel/mix", r.cpldMixOutSel ? 0 : 1));
    values.push_back(intValue("/velpanel/spdif/source", int32_t(r.digitalOutSelector) + 1));
    values.push_back(intValue("/velpanel/level", r.outputLevel));
    values.push_back(intValue("/velpanel/format", r.digitalFormat));
    values.push_back(intValue("/velpanel/rate", r.sampleRate));
    values.push_back(intValue("/velpanel/latency", r.latency));
    Value clock;
    clock.address = "/velpanel/clock";
    clock.type = 's';
    clock.s = clockText(core_.unitClockMode());
    values.push_back(clock);
    monitorValues(values);
    return values;
}

void RemoteControl::monitorValues(std::vector<Value>& values) {
    const int32_t code = monitorCode();
    if (code < 0) return;
    values.push_back(intValue("/velpanel/monitor/dim", code & 1));
    values.push_back(intValue("/velpanel/monitor/mute", (code >> 1) & 1));
    values.push_back(intValue("/velpanel/mute-all", (code >> 2) & 1));
}

int32_t RemoteControl::monitorCode() const {
    const PanelSettings& r = core_.settings();
    if (!monitor_ || !core_.currentDevice() || isBlank(r)) return -1;
    const int left = 2 * (monitor_->settings().pair - 1);
    bool all = true;
    for (int i = 0; i < OUTPUT_COUNT; ++i) all = all && r.outMute[i] == 1;
    const bool pairMuted = r.outMute[left] == 1 && r.outMute[left + 1] == 1;
    return int32_t(monitor_->dimState().holds(r)) | int32_t(pairMuted) << 1 | int32_t(all) << 2;
}

void RemoteControl::tellChanges() {
    expire(subscribers_);
    if (subscribers_.empty()) return;
    std::vector<Value> now = state();
    for (const Value& value : now) {
        if (std::find(told_.begin(), told_.end(), value) != told_.end()) continue;
        for (const Subscriber& s : subscribers_) send(s.peer, value);
    }
    told_ = std::move(now);
    toldMonitor_ = monitorCode();
}

void RemoteControl::unitArrived(const USBDevice&, const PanelSettings&) {
    expire(subscribers_);
    for (const Subscriber& s : subscribers_) sendStatus(s.peer);
}

void RemoteControl::unitRemoved(const USBDevice&) {
    expire(subscribers_);
    for (const Subscriber& s : subscribers_) {
        uint8_t buffer[64];
        osc::Writer writer(buffer, sizeof buffer);
        writer.begin("/velpanel/status", "isi").putInt(0).putString("").putInt(0);
        link_.send(s.peer, buffer, writer.size());
    }
}

void RemoteControl::settingsPublished(const PanelSettings&) { tellChanges(); }

void RemoteControl::namesChanged(const ChannelNames&) { tellChanges(); }

ChannelNames RemoteControl::storedNames() {
    ChannelNames names;
    std::string problem;
    if (preferences_) loadChannelNames(*preferences_, names, problem);
    return names;
}

bool RemoteControl::setName(ChannelKind kind, int number, const std::string& name, std::string& problem) {
    if (!preferences_) {
        problem = "names cannot be kept";
        return false;
    }
    const std::string bad = checkChannelName(name);
    if (!bad.empty()) {
        problem = "the name " + bad;
        return false;
    }
    ChannelNames names = storedNames();
    if (!names.set(kind, number, name)) {
        problem = "the name cannot be set";
        return false;
    }
    if (!saveChannelNames(*preferences_, names)) {
        problem = "the name could not be stored";
        return false;
    }
    if (namesShown_) namesShown_(names);
    namesChanged(names);
    return true;
}

} // namespace velmora
