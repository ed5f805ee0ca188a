// Remote control over OSC against a whole panel and the device model: what
// the unit's registers hold is the oracle for what a message did, and every
// datagram the panel sends goes through a fake socket and is read back with
// the codec.
#include "app/RemoteControl.h"
#include "tests/app/PanelHarness.h"
#include "tests/support/CountingAllocator.h"
#include "ui/MeterMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

// The device's nothrow allocations, counted and freed as the others are.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++velmora_testing::g_allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    ++velmora_testing::g_allocations;
    return std::malloc(size ? size : 1);
}

namespace velmora {
namespace {

using namespace testing_app;

constexpr uint32_t LAN_HOST = 0xC0A8010A; // 192.168.1.10
constexpr uint32_t OTHER_HOST = 0x0A000005; // 10.0.0.5

// One datagram sent, read back: "port /address value value ...".
struct FakeLink : RemoteLink {
    uint64_t now = 1000;
    std::vector<std::string> sent;
    std::vector<std::string> logs;
    std::vector<std::vector<int32_t>> meters; // the arguments of each meter message

    size_t quietSends = 0; // counted only, not read (no allocation of the fake's own)
    bool quiet = false;

    void send(const RemotePeer& to, const uint8_t* data, size_t size) override {
        if (quiet) {
            quietSends += size > 0;
            return;
        }
        struct Read : osc::MessageSink {
            std::string line;
            std::vector<int32_t> ints;
            void message(const osc::Message& m) override {
                line += std::string(m.address);
                for (size_t i = 0; i < m.argCount; ++i) {
                    const osc::Arg& a = m.args[i];
                    if (a.type == 'i') ints.push_back(a.i);
                    char f[32];
                    std::snprintf(f, sizeof f, "%g", double(a.f));
                    line += " " + (a.type == 'i' ? std::to_string(a.i) : a.type == 'f' ? std::string(f) : std::string(a.s));
                }
            }
        } read;
        ASSERT_EQ(osc::readPacket(data, size, &read), osc::ReadError::None);
        if (read.line.rfind("/velpanel/meters", 0) == 0) meters.push_back(read.ints);
        else sent.push_back(std::to_string(to.port) + " " + read.line);
    }
    uint64_t nowMs() override { return now; }
    void log(const std::string& line) override { logs.push_back(line); }

    bool heard(const std::string& line) const {
        for (const std::string& s : sent)
            if (s == line) return true;
        return false;
    }
};

// A message encoded with the codec; `tags` says how each argument is written.
std::vector<uint8_t> oscMessage(const std::string& address, const std::string& tags = "", double number = 0,
                                const std::string& text = "") {
    std::vector<uint8_t> buffer(512);
    osc::Writer w(buffer.data(), buffer.size());
    w.begin(address, tags);
    for (char t : tags) {
        if (t == 'i') w.putInt(int32_t(number));
        if (t == 'f') w.putFloat(float(number));
        if (t == 's') w.putString(text);
    }
    buffer.resize(w.size());
    return buffer;
}

std::vector<uint8_t> bundle(const std::vector<std::vector<uint8_t>>& elements) {
    std::vector<uint8_t> out = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 1};
    for (const auto& e : elements) {
        const uint32_t n = uint32_t(e.size());
        out.insert(out.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

int unitStep(const Unit& unit, int output) { return unit.model.codec[VOLUME_REGISTER[output - 1]] & 0x7F; }

struct Remote {
    Panel panel;
    Unit unit;
    FakeLink link;
    RemoteControl remote{panel.core, &panel.store, link};

    Remote() {
        panel.core.setEvents(&remote);
        RemoteSettings on;
        on.on = true;
        std::string problem;
        EXPECT_TRUE(parseHostRanges("192.168.1.0/24", on.allowed, problem));
        remote.setSettings(on);
        panel.arrive(unit);
    }
    void from(uint32_t host, uint16_t port, const std::vector<uint8_t>& packet) {
        remote.onPacket(RemotePeer{host, port}, packet.data(), packet.size());
    }
    void local(const std::vector<uint8_t>& packet, uint16_t port = 5000) { from(LOOPBACK_HOST, port, packet); }
};

TEST(RemoteControl, MessagesReachTheUnitAndQuestionsAreAnsweredToTheSender) {
    Remote r;
    r.local(oscMessage("/velpanel/pair/2/link", "i", 0));
    r.local(oscMessage("/velpanel/output/3/volume", "f", -12.3));
    EXPECT_EQ(unitStep(r.unit, 3), 127 - 25); // -12.5 dB, the nearest step
    r.local(oscMessage("/velpanel/output/4/fader", "f", 0.5));
    EXPECT_EQ(unitStep(r.unit, 4), 64);
    r.local(oscMessage("/velpanel/output/8/mute", "i", 1));
    r.local(oscMessage("/velpanel/rate", "i", 96000));
    r.local(oscMessage("/velpanel/spdif/source", "i", 3));
    r.local(oscMessage("/velpanel/clock", "s", 0, "Internal"));
    EXPECT_EQ(r.unit.model.codec[VOLUME_REGISTER[7]], 0x80);
    EXPECT_EQ(r.unit.model.config[0], 96000);
    EXPECT_EQ(r.unit.model.digitalOutSelector, 2u);
    EXPECT_TRUE(r.link.sent.empty()) << r.link.sent[0];

    r.local(oscMessage("/velpanel/output/3/volume"), 5001);
    r.local(oscMessage("/velpanel/clock"), 5001);
    r.local(oscMessage("/velpanel/ping"), 5001);
    r.local(oscMessage("/velpanel/status"), 5001);
    EXPECT_EQ(r.link.sent, (std::vector<std::string>{"5001 /velpanel/output/3/volume -12.5",
                                                     "5001 /velpanel/clock internal", "5001 /velpanel/pong",
                                                     "5001 /velpanel/status 1 0001 96000"}));

    // Names are kept beside the record and shown.
    ChannelNames shown;
    r.remote.onNamesSet([&](const ChannelNames& n) { shown = n; });
    r.local(oscMessage("/velpanel/input/18/name", "s", 0, "Gitarre Ü"));
    EXPECT_EQ(shown.name(ChannelKind::Input, 18), "Gitarre Ü");
    ChannelNames stored;
    std::string problem;
    ASSERT_TRUE(loadChannelNames(r.panel.store, stored, problem));
    EXPECT_EQ(stored, shown);
    // Snapshots store and recall through the same path as the menus.
    r.local(oscMessage("/velpanel/snapshot/2/store", "s", 0, "Live"));
    r.local(oscMessage("/velpanel/output/3/volume", "f", 0));
    EXPECT_EQ(unitStep(r.unit, 3), 127);
    r.local(oscMessage("/velpanel/snapshot/2/recall"));
    EXPECT_EQ(unitStep(r.unit, 3), 127 - 25);

    // Under a box (the names dialog, say) nothing is changed, named or kept.
    r.link.sent.clear();
    {
        PanelCore::BoxScope box(r.panel.core);
        r.local(oscMessage("/velpanel/output/3/volume", "f", 0));
        r.local(oscMessage("/velpanel/input/1/name", "s", 0, "Mic"));
        r.local(oscMessage("/velpanel/snapshot/3/store"));
    }
    EXPECT_EQ(unitStep(r.unit, 3), 127 - 25);
    EXPECT_EQ(r.link.sent.size(), 3u);
    ASSERT_TRUE(loadChannelNames(r.panel.store, stored, problem));
    EXPECT_EQ(stored.name(ChannelKind::Input, 1), "");
    std::string slot;
    EXPECT_FALSE(r.panel.store.readText("Snapshot3", slot));
}

TEST(RemoteControl, BadInputIsAnsweredAtMostTenTimesASecondLoggedOnceAndChangesNothing) {
    Remote r;
    const std::vector<uint8_t> good = oscMessage("/velpanel/output/1/volume", "f", -6);
    std::vector<uint8_t> cut = good;
    cut.resize(cut.size() - 4);
    std::vector<uint8_t> badTag = good;
    badTag[good.size() - 7] = 'X';
    for (const std::vector<uint8_t>& bad :
         {cut, badTag, oscMessage("/velpanel/output/9/volume", "f", -6), oscMessage("/velpanel/output/1/volume", "f", 3),
          oscMessage("/velpanel/output/1/volume", "s", 0, "loud"), oscMessage("/velpanel/output/01/mute", "i", 1),
          oscMessage("/velpanel/output/1/mute", "i", 2), oscMessage("/velpanel/rate", "i", 22050),
          oscMessage("/velpanel/output/1/fader", "f", NAN), oscMessage("/velpanel/nothing"),
          oscMessage("/other/output/1/volume", "f", -6)})
        r.local(bad);
    // A malformed bundle whose first message is sound: nothing of it is done.
    r.local(bundle({good, cut}));
    EXPECT_EQ(unitStep(r.unit, 1), 127);
    EXPECT_EQ(r.unit.model.config[0], 44100);
    EXPECT_EQ(r.link.sent.size(), 10u); // twelve errors, ten answered this second
    EXPECT_EQ(r.link.sent[2], "5000 /velpanel/error /velpanel/output/9/volume unknown address");
    EXPECT_EQ(r.link.logs.size(), 1u);
    r.link.now += 1000;
    r.local(oscMessage("/velpanel/rate", "i", 22050));
    EXPECT_EQ(r.link.sent.back(), "5000 /velpanel/error /velpanel/rate The sample rate must be 44100, 48000, 88200 or 96000.");

    // A sound bundle is taken message by message: a bad value is refused alone.
    r.local(bundle({good, oscMessage("/velpanel/output/5/volume", "f", 9), oscMessage("/velpanel/output/3/mute", "i", 1)}));
    EXPECT_EQ(unitStep(r.unit, 1), 115);
    EXPECT_EQ(unitStep(r.unit, 5), 127);
    EXPECT_EQ(r.unit.model.codec[VOLUME_REGISTER[2]], 0x80);
}

TEST(RemoteControl, OnlyAllowedHostsAreHeardAndTheChoicesKeepBesideTheRecord) {
    Remote r;
    r.from(OTHER_HOST, 5000, oscMessage("/velpanel/output/1/volume", "f", -6));
    r.from(OTHER_HOST, 5000, oscMessage("/velpanel/ping"));
    r.from(OTHER_HOST, 5000, oscMessage("/velpanel/subscribe"));
    EXPECT_EQ(unitStep(r.unit, 1), 127);
    EXPECT_TRUE(r.link.sent.empty());
    EXPECT_TRUE(r.link.logs.empty());
    r.from(LAN_HOST, 5000, oscMessage("/velpanel/output/1/volume", "f", -6));
    EXPECT_EQ(unitStep(r.unit, 1), 115);
    r.remote.setSettings(RemoteSettings{}); // off: even 127.0.0.1 is not heard
    r.local(oscMessage("/velpanel/ping"));
    EXPECT_TRUE(r.link.sent.empty());

    RemoteSettings s;
    std::string problem;
    ASSERT_TRUE(parseHostRanges(" 10.1.2.3/8;192.168.7.9 ,", s.allowed, problem)) << problem;
    EXPECT_EQ(hostRangesText(s.allowed), "10.0.0.0/8, 192.168.7.9");
    EXPECT_TRUE(s.allows(0x0AFFFFFF) && s.allows(0xC0A80709) && s.allows(LOOPBACK_HOST));
    EXPECT_FALSE(s.allows(0xC0A80708) || s.allows(0x7F000002));
    for (const char* bad : {"256.1.1.1", "1.2.3", "1.2.3.4/33", "1.2.3.4/", "01234.1.1.1", "1.2.3.4x", "host.lan"})
        EXPECT_FALSE(parseHostRanges(bad, s.allowed, problem)) << bad;
    s.on = true;
    s.port = 9200;
    RemoteSettings back;
    ASSERT_TRUE(saveRemoteSettings(r.panel.store, s));
    ASSERT_TRUE(loadRemoteSettings(r.panel.store, back, problem));
    EXPECT_TRUE(back == s);
    EXPECT_EQ(r.panel.store.value().size(), sizeof(PanelSettings)); // never inside the record
    r.panel.store.writeText(PREFERENCE_REMOTE_CONTROL, "{\"on\":true,\"port\":0,\"allow\":\"\"}");
    EXPECT_FALSE(loadRemoteSettings(r.panel.store, back, problem));
    EXPECT_FALSE(back.on); // a damaged value leaves it off
}

TEST(RemoteControl, SubscribersHearEveryChangeFromAnySourceUntilTheyExpire) {
    Remote r;
    r.local(oscMessage("/velpanel/subscribe", "i", 7000));
    EXPECT_EQ(r.link.sent.size(), 8u * 4 + 18 + 4 + 8); // the whole state, once
    EXPECT_TRUE(r.link.heard("7000 /velpanel/output/1/volume 0"));
    EXPECT_TRUE(r.link.heard("7000 /velpanel/rate 44100"));
    r.link.sent.clear();

    // A change on the page, a linked pair, the unit's own rate change.
    PanelSettings copy = r.panel.core.settings();
    copy.outMute[1] = 1;
    r.panel.pageChangesVolumes(copy);
    EXPECT_EQ(r.link.sent, (std::vector<std::string>{"7000 /velpanel/output/2/mute 1"}));
    r.local(oscMessage("/velpanel/pair/1/link", "i", 1));
    r.local(oscMessage("/velpanel/output/1/volume", "f", -3));
    EXPECT_TRUE(r.link.heard("7000 /velpanel/output/2/volume -3"));
    EXPECT_TRUE(r.link.heard("7000 /velpanel/output/2/fader 0.952756"));
    vm_hw_set_sample_rate(&r.unit.model, 96000);
    r.panel.core.onStatusTimer();
    EXPECT_EQ(r.link.sent.back(), "7000 /velpanel/rate 96000");

    // At most eight; a renewal keeps one for another 10 s; then it expires.
    for (uint16_t port = 7001; port < 7010; ++port) r.local(oscMessage("/velpanel/subscribe"), port);
    EXPECT_EQ(r.remote.subscribers(), 8u);
    EXPECT_EQ(r.link.sent.back(), "7009 /velpanel/error /velpanel/subscribe at most 8 subscribers");
    r.link.now += 9000;
    r.local(oscMessage("/velpanel/subscribe", "i", 7000));
    r.link.now += 2000;
    r.link.sent.clear();
    r.local(oscMessage("/velpanel/monitor", "i", 1));
    EXPECT_EQ(r.link.sent, (std::vector<std::string>{"7000 /velpanel/monitor 1"}));
    r.link.now += 9000;
    r.local(oscMessage("/velpanel/monitor", "i", 0));
    EXPECT_EQ(r.remote.subscribers(), 0u);
}

TEST(RemoteControl, MeterSubscribersGetEachTickAsOneMessageWithoutAllocation) {
    Remote r;
    for (uint16_t port = 8000; port < 8005; ++port) r.local(oscMessage("/velpanel/meters/subscribe"), port);
    EXPECT_EQ(r.remote.meterSubscribers(), 4u);
    r.unit.model.meterHeld = 1;
    std::memset(r.unit.model.meterHeldBlock, 0, sizeof r.unit.model.meterHeldBlock);
    r.unit.model.meterHeldBlock[0] = 0x7F; // input 1 at full scale
    r.unit.model.meterHeldBlock[33] = 0x10; // output 2
    for (int tick = 0; tick < 3; ++tick) {
        r.panel.core.onMeterTimer();
        r.remote.onMeterTick(r.panel.core.meterHistory());
    }
    ASSERT_EQ(r.link.meters.size(), 12u);
    const std::vector<int32_t>& last = r.link.meters.back();
    ASSERT_EQ(last.size(), 52u);
    EXPECT_EQ(last[0], 127);
    EXPECT_EQ(last[19], meterLevel(r.panel.core.meterHistory().level[33]));
    EXPECT_GT(last[19], 0);
    EXPECT_EQ(last[26], 1); // input 1's clip latch
    EXPECT_EQ(last[27] + last[45], 0);

    r.link.quiet = true;
    const unsigned long long before = velmora_testing::g_allocations;
    for (int tick = 0; tick < 100; ++tick) r.remote.onMeterTick(r.panel.core.meterHistory());
    EXPECT_EQ(velmora_testing::g_allocations - before, 0u);
    EXPECT_EQ(r.link.quietSends, 400u);
    r.link.quiet = false;
    r.link.now += RemoteControl::SUBSCRIPTION_MS;
    r.link.meters.clear();
    r.remote.onMeterTick(r.panel.core.meterHistory());
    EXPECT_TRUE(r.link.meters.empty());
}

// The monitor pair's actions, as the window shares them with the hotkeys.
struct MonitorRemote : Remote {
    MonitorDim dim;
    MonitorActions monitor{panel.core, dim, &panel.store};
    MonitorRemote() { remote.setMonitor(&monitor); }
    std::pair<int, int> pair() const { return {unitStep(unit, 1), unitStep(unit, 2)}; }
};

TEST(RemoteControl, MonitorStepAndDimActOnThePairAndTheDimGivesBackTheExactLevels) {
    MonitorRemote r;
    r.local(oscMessage("/velpanel/pair/1/link", "i", 0));
    r.local(oscMessage("/velpanel/output/2/volume", "f", -6));
    r.local(oscMessage("/velpanel/output/1/name", "s", 0, "Left"));
    r.local(oscMessage("/velpanel/monitor/step", "f", -0.8)); // -1 dB, the nearest 0.5
    EXPECT_EQ(r.pair(), std::make_pair(125, 113));
    r.local(oscMessage("/velpanel/monitor/dim", "i", 1));
    EXPECT_EQ(r.pair(), std::make_pair(85, 73)); // 20 dB down
    r.local(oscMessage("/velpanel/monitor/dim"), 5001);
    r.local(oscMessage("/velpanel/snapshot/4/store")); // the user's levels, not the dimmed ones
    r.local(oscMessage("/velpanel/monitor/dim", "i", 0));
    EXPECT_EQ(r.pair(), std::make_pair(125, 113));
    EXPECT_EQ(r.link.sent, (std::vector<std::string>{"5001 /velpanel/monitor/dim 1"}));
    // A recall during a dim ends it, even one holding the dimmed levels:
    // undimming then keeps the snapshot's levels.
    r.local(oscMessage("/velpanel/monitor/step", "f", -20));
    r.local(oscMessage("/velpanel/snapshot/5/store"));
    r.local(oscMessage("/velpanel/monitor/step", "i", 20));
    r.local(oscMessage("/velpanel/monitor/dim", "i", 1));
    r.local(oscMessage("/velpanel/snapshot/5/recall"));
    r.local(oscMessage("/velpanel/monitor/dim", "i", 0));
    EXPECT_EQ(r.pair(), std::make_pair(85, 73));
    r.local(oscMessage("/velpanel/output/1/name", "s", 0, "Other"));
    ChannelNames told; // a recall's names are told, as the window's listeners hear them
    r.monitor.onNamesChanged([&](const ChannelNames& names) { told = names; });
    r.local(oscMessage("/velpanel/snapshot/4/recall"));
    EXPECT_EQ(r.pair(), std::make_pair(125, 113));
    EXPECT_EQ(told.name(ChannelKind::Output, 1), "Left");
    EXPECT_EQ(r.link.sent.size(), 1u);
}

TEST(RemoteControl, BadMonitorValuesAreAnsweredAndChangeNothing) {
    MonitorRemote r;
    for (const std::vector<uint8_t>& bad :
         {oscMessage("/velpanel/monitor/step"), oscMessage("/velpanel/monitor/step", "f", 0.2),
          oscMessage("/velpanel/monitor/step", "f", -64), oscMessage("/velpanel/monitor/step", "f", NAN),
          oscMessage("/velpanel/monitor/dim", "i", 2), oscMessage("/velpanel/mute-all", "s", 0, "on")})
        r.local(bad);
    r.remote.setMonitor(nullptr);
    r.local(oscMessage("/velpanel/monitor/dim", "i", 1));
    EXPECT_EQ(r.pair(), std::make_pair(127, 127));
    ASSERT_EQ(r.link.sent.size(), 7u);
    EXPECT_EQ(r.link.sent[2], "5000 /velpanel/error /velpanel/monitor/step the step must be 0.5 to 63.5 dB, + up or - down");
    EXPECT_EQ(r.link.sent[6], "5000 /velpanel/error /velpanel/monitor/dim this panel has no monitor pair to change");
}

TEST(RemoteControl, SubscribersHearTheDimFromAnySourceWithinAMeterTick) {
    MonitorRemote r;
    r.local(oscMessage("/velpanel/subscribe", "i", 7000));
    r.link.sent.clear();
    r.monitor.dim(DimWish::On); // a hotkey or the command line
    EXPECT_TRUE(r.link.heard("7000 /velpanel/monitor/dim 1") && r.link.heard("7000 /velpanel/output/1/volume -20"));
    PanelSettings copy = r.panel.core.settings(); // a fader moved on the page ends it
    copy.outVolume[0] = 0;
    r.panel.pageChangesVolumes(copy);
    EXPECT_EQ(r.link.sent.back(), "7000 /velpanel/monitor/dim 0");
    // Another monitor pair chosen changes no setting: told at the next meter tick.
    r.local(oscMessage("/velpanel/output/3/mute", "i", 1));
    r.local(oscMessage("/velpanel/output/4/mute", "i", 1));
    HotkeySettings second;
    second.pair = 2;
    r.monitor.setSettings(second);
    r.remote.onMeterTick(r.panel.core.meterHistory());
    EXPECT_EQ(r.link.sent.back(), "7000 /velpanel/monitor/mute 1");
}

} // namespace
} // namespace velmora
