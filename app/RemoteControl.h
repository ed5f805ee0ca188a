// Remote control over OSC: the packets an allowed host sends are read
// (OscCodec) and carried out through the commands on the core, a message
// without arguments is answered with the value, subscribers hear every
// change whatever caused it, and meter subscribers get the meters each
// meter tick. The socket is someone else's (RemoteLink): this class only
// reads what it is handed and writes what it sends, on the GUI thread.
#pragma once

#include "app/MonitorActions.h"
#include "app/OscCodec.h"
#include "app/PanelCommands.h"
#include "app/PanelEvents.h"
#include "app/RemoteSettings.h"
#include "app/Snapshots.h"
#include "device/DeviceWire.h"
#include "settings/ChannelNames.h"
#include "ui/MeterHold.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmora {

class PanelCore;

// An IPv4 host and UDP port, as numbers (most significant byte first).
struct RemotePeer {
    uint32_t host = 0;
    uint16_t port = 0;
    bool operator==(const RemotePeer& other) const { return host == other.host && port == other.port; }
};

// The socket and the clock, as the remote control uses them.
class RemoteLink {
public:
    virtual void send(const RemotePeer& to, const uint8_t* data, size_t size) = 0;
    // Milliseconds from any fixed start.
    virtual uint64_t nowMs() = 0;
    virtual void log(const std::string& line) = 0;

protected:
    ~RemoteLink() = default;
};

class RemoteControl : public PanelEvents, private osc::MessageSink {
public:
    static constexpr size_t MAX_SUBSCRIBERS = 8;
    static constexpr size_t MAX_METER_SUBSCRIBERS = 4;
    static constexpr uint64_t SUBSCRIPTION_MS = 10000;
    static constexpr int ERRORS_PER_SECOND = 10;
    static constexpr int METERS = MeterHold::METERS;

    // `preferences` keeps the channel names and the snapshots (none: a
    // name cannot be set and a snapshot neither stored nor recalled).
    RemoteControl(PanelCore& core, PreferenceStore* preferences, RemoteLink& link);

    // Who may connect besides 127.0.0.1 (packets from others are dropped
    // unanswered). Turning it off forgets every subscriber.
    void setSettings(const RemoteSettings& settings);
    const RemoteSettings& settings() const { return settings_; }
    // The monitor pair's actions (a step, the dim, the pair's mute, every
    // output's mute), shared with the hotkeys; without them those addresses
    // are answered with an error. A recall then goes through them too (it
    // ends a dim), and a stored snapshot takes the levels from before a dim.
    void setMonitor(MonitorActions* monitor);
    // Who shows channel names set remotely (the pages).
    void onNamesSet(std::function<void(const ChannelNames&)> shown) { namesShown_ = std::move(shown); }

    // One datagram as it came, from `from`.
    void onPacket(const RemotePeer& from, const uint8_t* data, size_t size);
    // One meter tick: the meter block as the pages were handed it. Sends one
    // message to each meter subscriber and allocates nothing.
    void onMeterTick(const MeterBlock& history);
    // Reset Clip Indicators: the clip latches sent open again.
    void clearClips() { hold_.clearAllClips(); }

    size_t subscribers() const { return subscribers_.size(); }
    size_t meterSubscribers() const { return meterSubscribers_.size(); }

    // PanelEvents
    void unitArrived(const USBDevice& unit, const PanelSettings& record) override;
    void unitNotOpened(const USBDevice&) override {}
    void unitRemoved(const USBDevice& unit) override;
    void sendFailed(const USBDevice&, const char*) override {}
    void recordSaved(bool, const std::string&) override {}
    void settingsPublished(const PanelSettings& record) override;
    void namesChanged(const ChannelNames& names) override;

    // One value of the state, as it is sent.
    struct Value {
        std::string address;
        char type = 'i'; // i, f or s
        int32_t i = 0;
        float f = 0.0f;
        std::string s;
        bool operator==(const Value& o) const { return address == o.address && type == o.type && i == o.i && f == o.f && s == o.s; }
    };

private:
    struct Subscriber {
        RemotePeer peer;
        uint64_t until = 0;
    };

    void message(const osc::Message& message) override;
    void handle(const osc::Message& message);
    bool handleValue(const osc::Message& message, const std::vector<std::string>& parts);
    void handleMonitor(const osc::Message& message, const std::string& leaf);
    void monitorValues(std::vector<Value>& values);
    // The monitor pair's state as one number (the dim, the pair's mute, all
    // muted), -1 when there is none; compared each meter tick, without
    // allocating, for a dim that changed no setting.
    int32_t monitorCode() const;
    void subscribe(std::vector<Subscriber>& list, size_t most, const osc::Message& message, bool meters);
    void unsubscribe(std::vector<Subscriber>& list, const osc::Message& message);
    void tellError(const std::string& address, const std::string& reason);
    void send(const RemotePeer& to, const Value& value);
    void sendStatus(const RemotePeer& to);
    void expire(std::vector<Subscriber>& list);
    std::vector<Value> state();
    void tellChanges();
    ChannelNames storedNames();
    bool setName(ChannelKind kind, int number, const std::string& name, std::string& problem);

    PanelCore& core_;
    PanelCommands commands_;
    Snapshots snapshots_;
    PreferenceStore* preferences_;
    RemoteLink& link_;
    RemoteSettings settings_;
    std::function<void(const ChannelNames&)> namesShown_;

    RemotePeer from_; // the sender of the packet being read
    std::vector<Subscriber> subscribers_;
    std::vector<Subscriber> meterSubscribers_;
    std::vector<Value> told_; // the state subscribers last heard
    int32_t toldMonitor_ = -1; // and its monitorCode()
    MonitorActions* monitor_ = nullptr;
    uint64_t errorWindow_ = 0;
    int errorsInWindow_ = 0;
    std::vector<RemotePeer> loggedSenders_;

    MeterHold hold_;
    std::array<uint8_t, 512> meterPacket_{};
};

} // namespace velmora
