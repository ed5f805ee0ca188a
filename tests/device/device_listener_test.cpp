// The device listener's table over a scripted enumeration: arrivals,
// removals, identity by instance id, the 128-unit limit, callbacks that come
// back into the listener, polling and stop.
#include "device/DeviceListener.h"
#include "device/USBDevice.h"
#include "tests/device/ScriptedTransport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace velmora {
namespace {

using test::ScriptedTransport;
using test::TransportScript;

struct FakeUnit {
    std::string path;
    std::string instanceId;
    uint32_t devInst = 0;
    bool detailFails = false;
};

class FakeEnumerator : public DeviceEnumerator {
public:
    std::vector<FakeUnit> units;
    int calls = 0;
    int openSnapshots = 0;
    int lookUpsOutsideScan = 0;
    void beginScan() override { ++openSnapshots; }
    void endScan() override { --openSnapshots; }
    Result interfaceAt(uint32_t index, DeviceInterfaceInfo& out) override {
        ++calls;
        if (openSnapshots != 1) ++lookUpsOutsideScan;
        if (index >= units.size()) return Result::None;
        const FakeUnit& u = units[index];
        if (u.detailFails) return Result::DetailFailed;
        out.path = u.path;
        out.instanceId = u.instanceId;
        out.devInst = u.devInst;
        return Result::Found;
    }
    void plug(const std::string& serial, uint32_t devInst = 0) {
        units.push_back({"\\\\?\\velmora#unit#" + serial + "#{dd35d54e}", "VELMORA\\UNIT\\" + serial, devInst});
    }
    void unplug(const std::string& serial) {
        for (size_t i = 0; i < units.size(); ++i)
            if (units[i].instanceId == "VELMORA\\UNIT\\" + serial) { units.erase(units.begin() + long(i)); return; }
    }
};

struct Call {
    std::string instanceId;
    DeviceEvent event;
    int refsDuringCall;
    bool openDuringCall;
};

class ListenerTest : public ::testing::Test {
protected:
    ListenerTest()
        : listener(enumerator, [this]() {
              auto script = std::make_shared<TransportScript>();
              scripts.push_back(script);
              return std::unique_ptr<DeviceTransport>(new ScriptedTransport(script));
          }) {}

    static void callback(void* context, USBDevice* unit, DeviceEvent event) {
        ListenerTest* t = static_cast<ListenerTest*>(context);
        if (unit)
            t->calls.push_back({unit->instanceId(), event, unit->refCount(), unit->isOpen()});
        else
            t->calls.push_back({"", event, 0, false});
        if (t->onCall) t->onCall(unit, event);
    }
    void start() { listener.start(&ListenerTest::callback, this); }
    std::vector<std::string> ids(DeviceEvent event) const {
        std::vector<std::string> out;
        for (const Call& c : calls)
            if (c.event == event) out.push_back(c.instanceId);
        return out;
    }
    static std::string id(const std::string& serial) { return "VELMORA\\UNIT\\" + serial; }

    FakeEnumerator enumerator;
    std::vector<std::shared_ptr<TransportScript>> scripts;
    DeviceListener listener;
    std::vector<Call> calls;
    std::function<void(USBDevice*, DeviceEvent)> onCall;
};

TEST_F(ListenerTest, UnitsArriveInEnumerationOrderAndLeaveInSlotOrder) {
    start();
    listener.scan();
    EXPECT_TRUE(calls.empty()); // nothing present

    enumerator.plug("A");
    enumerator.plug("B");
    listener.scan();
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("A"), id("B")}));
    for (const Call& c : calls) {
        EXPECT_EQ(c.refsDuringCall, 1); // the table's own reference
        EXPECT_FALSE(c.openDuringCall);
    }
    EXPECT_EQ(listener.unitCount(), 2);
    EXPECT_EQ(listener.unitAt(0)->interfacePath(), enumerator.units[0].path);

    calls.clear();
    listener.scan(); // nothing changed
    EXPECT_TRUE(calls.empty());

    enumerator.plug("C");
    enumerator.units.erase(enumerator.units.begin(), enumerator.units.begin() + 2); // A and B go
    listener.scan();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].instanceId, id("C"));
    EXPECT_EQ(calls[0].event, DEVICE_ARRIVED);
    EXPECT_EQ(calls[1].instanceId, id("A")); // removals after arrivals, slot order
    EXPECT_EQ(calls[1].event, DEVICE_REMOVED);
    EXPECT_EQ(calls[2].instanceId, id("B"));
    EXPECT_EQ(listener.unitCount(), 1);
    EXPECT_EQ(listener.unitAt(2)->instanceId(), id("C"));
    // The removed units' transports are gone with their last reference.
    EXPECT_TRUE(scripts[0]->destroyed);
    EXPECT_TRUE(scripts[1]->destroyed);
    EXPECT_FALSE(scripts[2]->destroyed);
}

TEST_F(ListenerTest, RemovedUnitIsValidDuringTheCallbackThenClosedAndReleased) {
    start();
    enumerator.plug("A");
    USBDevice* kept = nullptr;
    onCall = [&](USBDevice* unit, DeviceEvent event) {
        if (event == DEVICE_ARRIVED) { unit->addRef(); ASSERT_TRUE(unit->open()); kept = unit; }
        if (event == DEVICE_REMOVED) { EXPECT_TRUE(unit->isOpen()); EXPECT_EQ(unit->refCount(), 2); }
    };
    listener.scan();
    ASSERT_NE(kept, nullptr);
    enumerator.units.clear();
    listener.scan();
    ASSERT_EQ(ids(DEVICE_REMOVED).size(), 1u);
    // The client's reference keeps the object; the listener closed the channel.
    EXPECT_FALSE(kept->isOpen());
    EXPECT_EQ(kept->refCount(), 1);
    EXPECT_FALSE(scripts[0]->destroyed);
    kept->release();
    EXPECT_TRUE(scripts[0]->destroyed);
}

TEST_F(ListenerTest, SameInstanceUnderAnotherPathOrNodeNumberIsTheSameUnit) {
    start();
    enumerator.plug("A", 3);
    listener.scan();
    ASSERT_EQ(calls.size(), 1u);
    // The unit comes back under a new path and a new node number (node
    // numbers are only valid while one enumeration is open).
    enumerator.units[0].path = "\\\\?\\velmora#unit#A#moved";
    enumerator.units[0].devInst = 9;
    listener.scan();
    EXPECT_EQ(calls.size(), 1u);
    enumerator.units[0].instanceId = "velmora\\unit\\a"; // ids ignore letter case
    listener.scan();
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(listener.unitCount(), 1);

    // Another unit that happens to get the same node number is a new unit.
    enumerator.plug("B", 3);
    listener.scan();
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("A"), id("B")}));
}

TEST_F(ListenerTest, DetailFailureOfAKnownUnitCountsAsGone) {
    start();
    enumerator.plug("A");
    enumerator.plug("B");
    listener.scan();
    enumerator.units[0].detailFails = true;
    listener.scan();
    EXPECT_EQ(ids(DEVICE_REMOVED), (std::vector<std::string>{id("A")}));
    EXPECT_EQ(listener.unitCount(), 1);
    // The interface after the failed one is still looked at.
    EXPECT_EQ(listener.unitAt(1)->instanceId(), id("B"));

    enumerator.units[0].detailFails = false;
    listener.scan();
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("A"), id("B"), id("A")}));
    EXPECT_EQ(listener.unitAt(0)->instanceId(), id("A")); // the first free slot
}

TEST_F(ListenerTest, UnitsThatCannotBeCreatedAreSkippedWithoutCallback) {
    start();
    enumerator.units.push_back({std::string(260, 'p'), "VELMORA\\UNIT\\LONG", 1});
    enumerator.units.push_back({"\\\\?\\noid", "", 2});
    enumerator.plug("A");
    listener.scan();
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("A")}));
    EXPECT_EQ(listener.unitCount(), 1);

    DeviceListener noTransports(enumerator, []() { return std::unique_ptr<DeviceTransport>(); });
    noTransports.start(&ListenerTest::callback, this);
    calls.clear();
    noTransports.scan();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(noTransports.unitCount(), 0);
}

TEST_F(ListenerTest, TheUnitBeyondTheTableIsAnnouncedOnlyOnceItHasASlot) {
    start();
    for (int i = 0; i < 129; ++i) enumerator.plug("U" + std::to_string(i));
    listener.scan();
    EXPECT_EQ(ids(DEVICE_ARRIVED).size(), 128u);
    EXPECT_EQ(listener.unitCount(), 128);
    EXPECT_EQ(ids(DEVICE_ARRIVED).back(), id("U127"));
    EXPECT_EQ(scripts.size(), 128u); // the 129th was not even created

    calls.clear();
    listener.scan(); // still no room: nothing told, nothing created
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(scripts.size(), 128u);

    enumerator.unplug("U5");
    listener.scan();
    // U5 leaves, then at once U128 takes the freed slot: every unit the
    // client was told of is one whose removal it will be told of too.
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].instanceId, id("U5"));
    EXPECT_EQ(calls[0].event, DEVICE_REMOVED);
    EXPECT_EQ(calls[1].instanceId, id("U128"));
    EXPECT_EQ(calls[1].event, DEVICE_ARRIVED);
    EXPECT_EQ(listener.unitAt(5)->instanceId(), id("U128"));

    calls.clear();
    enumerator.units.clear();
    listener.scan();
    EXPECT_EQ(ids(DEVICE_REMOVED).size(), 128u);
    EXPECT_EQ(listener.unitCount(), 0);
}

TEST_F(ListenerTest, AScanAskedToReportTellsTheClientOnceAfterItsArrivalsAndRemovals) {
    start();
    enumerator.plug("A");
    listener.scan();
    calls.clear();
    listener.reportNextScan();
    enumerator.unplug("A");
    enumerator.plug("B");
    // The scan is asked for again from inside its own callback: the report
    // waits for the deferred scan too, and comes once.
    onCall = [this](USBDevice*, DeviceEvent event) {
        if (event == DEVICE_ARRIVED) {
            enumerator.plug("C");
            listener.scan();
        }
        onCall = nullptr;
    };
    listener.scan();
    // B and C arrived, A left (the deferred scan ran too), and then the report.
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("B"), id("C")}));
    EXPECT_EQ(ids(DEVICE_REMOVED), std::vector<std::string>{id("A")});
    EXPECT_EQ(calls[3].event, DEVICE_UNITS_SCANNED);
    listener.scan();
    EXPECT_EQ(calls.size(), 4u); // reported once only
}

TEST_F(ListenerTest, ScanFromInsideACallbackIsDeferredAndAnnouncesNoUnitTwice) {
    start();
    enumerator.plug("A");
    int nested = 0;
    onCall = [&](USBDevice* unit, DeviceEvent event) {
        // The handler pumps messages: a device-change message arrives, and
        // meanwhile another unit shows up.
        if (event == DEVICE_ARRIVED && unit->instanceId() == id("A")) {
            enumerator.plug("B");
            ++nested;
            EXPECT_EQ(listener.onDeviceChange(0x0007), nullptr);
            listener.scan();
            EXPECT_EQ(calls.size(), 1u); // nothing ran inside
        }
    };
    listener.scan();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("A"), id("B")}));
    EXPECT_EQ(listener.unitCount(), 2);
    EXPECT_EQ(scripts.size(), 2u);

    // A scan requested from a removal callback runs after the removals.
    calls.clear();
    onCall = [&](USBDevice* unit, DeviceEvent event) {
        if (event == DEVICE_REMOVED) {
            enumerator.plug("C");
            listener.scan();
            EXPECT_EQ(listener.unitAt(0), unit); // the table is untouched meanwhile
        }
    };
    enumerator.unplug("A");
    listener.scan();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].event, DEVICE_REMOVED);
    EXPECT_EQ(calls[1].instanceId, id("C"));
    EXPECT_EQ(calls[1].event, DEVICE_ARRIVED);
    // Every look-up ran inside exactly one snapshot, nested scans included.
    EXPECT_EQ(enumerator.lookUpsOutsideScan, 0);
    EXPECT_EQ(enumerator.openSnapshots, 0);
}

TEST_F(ListenerTest, PollReachesOnlyOpenUnitsInSlotOrder) {
    start();
    enumerator.plug("A");
    enumerator.plug("B");
    enumerator.plug("C");
    listener.scan();
    ASSERT_TRUE(listener.unitAt(0)->open());
    ASSERT_TRUE(listener.unitAt(2)->open());
    for (auto& s : scripts)
        s->answer = [](uint32_t code, uint8_t* out, uint32_t, uint32_t&) {
            if (code == IOCTL_EVENT) writeLe32(out, 1);
            return true;
        };
    calls.clear();
    listener.onTimer(4711); // not the timer yet: no id kept
    EXPECT_TRUE(calls.empty());
    listener.setTimerId(4711);
    listener.onTimer(4712);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(scripts[1]->count(IOCTL_EVENT), 0u);
    listener.onTimer(4711);
    EXPECT_EQ(ids(DEVICE_STATE_CHANGED), (std::vector<std::string>{id("A"), id("C")}));
    EXPECT_EQ(scripts[1]->log.size(), 0u); // the closed unit saw no exchange at all

    // Held (another session has the console): no flag is read, so none is
    // taken from that session's panel; let go, the next tick reads again.
    calls.clear();
    const size_t readsBefore = scripts[0]->count(IOCTL_EVENT);
    listener.holdPolls(true);
    listener.onTimer(4711);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(scripts[0]->count(IOCTL_EVENT), readsBefore);
    listener.holdPolls(false);
    listener.onTimer(4711);
    EXPECT_EQ(ids(DEVICE_STATE_CHANGED), (std::vector<std::string>{id("A"), id("C")}));

    listener.setTimerId(0);
    calls.clear();
    listener.onTimer(0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(ListenerTest, RescanFromAnEvent3CallbackWaitsForThePollToEnd) {
    start();
    enumerator.plug("A");
    enumerator.plug("B");
    listener.scan();
    ASSERT_TRUE(listener.unitAt(0)->open());
    ASSERT_TRUE(listener.unitAt(1)->open());
    for (auto& s : scripts)
        s->answer = [](uint32_t code, uint8_t* out, uint32_t, uint32_t&) {
            if (code == IOCTL_EVENT) writeLe32(out, 1);
            return true;
        };
    calls.clear();
    onCall = [&](USBDevice* unit, DeviceEvent event) {
        if (event == DEVICE_STATE_CHANGED && unit->instanceId() == id("A")) {
            enumerator.unplug("B"); // B vanishes while the poll is walking the table
            listener.scan();
            listener.poll(); // a nested poll is dropped
        }
    };
    listener.poll();
    // A's event, B's event (still in the table during the poll), then B leaves.
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].event, DEVICE_STATE_CHANGED);
    EXPECT_EQ(calls[1].instanceId, id("B"));
    EXPECT_EQ(calls[1].event, DEVICE_STATE_CHANGED);
    EXPECT_EQ(calls[2].instanceId, id("B"));
    EXPECT_EQ(calls[2].event, DEVICE_REMOVED);
    EXPECT_EQ(listener.unitCount(), 1);
}

TEST_F(ListenerTest, StopReleasesEverythingWithoutCallbacks) {
    start();
    enumerator.plug("A");
    enumerator.plug("B");
    listener.scan();
    ASSERT_TRUE(listener.unitAt(0)->open());
    calls.clear();
    listener.stop();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(listener.unitCount(), 0);
    EXPECT_EQ(scripts[0]->closes, 1);
    EXPECT_TRUE(scripts[0]->destroyed);
    EXPECT_TRUE(scripts[1]->destroyed);
    EXPECT_FALSE(listener.started());
    listener.scan(); // stopped: nothing happens
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(listener.unitCount(), 0);

    // Started again, the present units are new arrivals.
    start();
    listener.scan();
    EXPECT_EQ(ids(DEVICE_ARRIVED).size(), 2u);
}

TEST_F(ListenerTest, StopFromInsideACallbackSilencesTheRestAndFreesAfterwards) {
    start();
    enumerator.plug("A");
    enumerator.plug("B");
    enumerator.plug("C");
    USBDevice* seenA = nullptr;
    onCall = [&](USBDevice* unit, DeviceEvent event) {
        if (unit->instanceId() == id("A")) {
            seenA = unit;
            listener.stop();
            // The unit in hand is still alive for the rest of the callback.
            EXPECT_EQ(unit->refCount(), 1);
            EXPECT_EQ(unit->instanceId(), id("A"));
        }
    };
    listener.scan();
    EXPECT_EQ(calls.size(), 1u); // B and C are never announced
    EXPECT_EQ(enumerator.openSnapshots, 0); // the scan's snapshot was let go
    EXPECT_NE(seenA, nullptr);
    EXPECT_EQ(listener.unitCount(), 0);
    EXPECT_FALSE(listener.started());
    for (auto& s : scripts) EXPECT_TRUE(s->destroyed);

    // Stop from an event-3 callback during a poll.
    start();
    onCall = nullptr;
    listener.scan();
    for (int slot = 0; slot < 3; ++slot) ASSERT_TRUE(listener.unitAt(slot)->open());
    for (auto& s : scripts)
        s->answer = [](uint32_t code, uint8_t* out, uint32_t, uint32_t&) {
            if (code == IOCTL_EVENT) writeLe32(out, 1);
            return true;
        };
    calls.clear();
    onCall = [&](USBDevice*, DeviceEvent) { listener.stop(); };
    listener.poll();
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(listener.unitCount(), 0);
}

TEST_F(ListenerTest, DeviceChangeCodes) {
    start();
    enumerator.plug("A");
    struct Code { uint32_t code; const char* line; };
    const Code printed[] = {
        {0x0017, "DBT_QUERYCHANGECONFIG\n"},      {0x0018, "DBT_CONFIGCHANGED\n"},
        {0x0019, "DBT_CONFIGCHANGECANCELED\n"},   {0x8002, "DBT_DEVICEQUERYREMOVEFAILED\n"},
        {0x8003, "DBT_DEVICEREMOVEPENDING\n"},    {0x8005, "DBT_DEVICETYPESPECIFIC\n"},
        {0xFFFF, "DBT_USERDEFINED\n"},
    };
    for (const Code& c : printed) {
        const char* line = listener.onDeviceChange(c.code);
        ASSERT_NE(line, nullptr) << std::hex << c.code;
        EXPECT_STREQ(line, c.line);
    }
    for (uint32_t code : {0x8001u, 0x0000u, 0x8006u, 0x0008u}) EXPECT_EQ(listener.onDeviceChange(code), nullptr);
    EXPECT_EQ(enumerator.calls, 0); // none of these scanned
    EXPECT_TRUE(calls.empty());

    for (uint32_t code : {0x0007u, 0x8000u, 0x8004u}) {
        const int before = enumerator.calls;
        EXPECT_EQ(listener.onDeviceChange(code), nullptr);
        EXPECT_GT(enumerator.calls, before) << std::hex << code;
    }
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("A")}));
}

TEST_F(ListenerTest, StartTwiceKeepsTheFirstClientAndTable) {
    start();
    enumerator.plug("A");
    listener.scan();
    int other = 0;
    listener.start([](void* c, USBDevice*, DeviceEvent) { ++*static_cast<int*>(c); }, &other);
    EXPECT_EQ(listener.unitCount(), 1);
    enumerator.plug("B");
    listener.scan();
    EXPECT_EQ(other, 0);
    EXPECT_EQ(ids(DEVICE_ARRIVED).size(), 2u);
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

TEST_F(ListenerTest, AnnouncingFromARemovalRunsOnceTheScanHasLetTheUnitGo) {
    start();
    enumerator.plug("A");
    enumerator.plug("B");
    listener.scan();
    calls.clear();
    // The client lets A go and asks for the units still present: B is
    // announced after the scan, and A, released by then, is not.
    onCall = [&](USBDevice*, DeviceEvent event) {
        if (event == DEVICE_REMOVED) {
            listener.announcePresent();
            EXPECT_EQ(calls.size(), 1u); // nothing ran inside
        }
    };
    enumerator.unplug("A");
    listener.scan();
    EXPECT_EQ(ids(DEVICE_REMOVED), (std::vector<std::string>{id("A")}));
    EXPECT_EQ(ids(DEVICE_ARRIVED), (std::vector<std::string>{id("B")}));
    EXPECT_EQ(listener.unitCount(), 1);
}

} // namespace
} // namespace velmora
