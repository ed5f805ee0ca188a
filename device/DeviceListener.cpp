#include "device/DeviceListener.h"

#include "device/DeviceWire.h"
#include "device/USBDevice.h"

#include <new>

namespace velmora {

DeviceListener::DeviceListener(DeviceEnumerator& enumerator, TransportFactory transportFactory)
    : enumerator_(enumerator), transportFactory_(std::move(transportFactory)) {}

DeviceListener::~DeviceListener() {
    releaseAll();
}

void DeviceListener::start(DeviceCallback callback, void* context) {
    if (started_) return;
    releaseAll();
    callback_ = callback;
    context_ = context;
    rescanPending_ = false;
    announcePending_ = false;
    stopPending_ = false;
    reportScan_ = false;
    started_ = true;
}

void DeviceListener::scan() {
    if (!started_ || stopPending_) return;
    if (busy_ > 0) {
        // Inside a callback of a scan or poll further up the stack: the table
        // is being walked, so run this scan once that operation has ended.
        rescanPending_ = true;
        return;
    }
    ++busy_;
    runScans();
    if (reportScan_ && !stopPending_) {
        reportScan_ = false;
        notify(nullptr, DEVICE_UNITS_SCANNED);
    }
    --busy_;
    finishOperation();
}

void DeviceListener::runScans() {
    do {
        rescanPending_ = false;
        bool retry = false;
        scanOnce(retry);
        if (retry) rescanPending_ = true;
    } while (rescanPending_ && !stopPending_);
}

namespace {

// Device instance ids name one device node whatever the letter case.
bool sameInstance(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

} // namespace

int DeviceListener::findUnit(const std::string& instanceId) const {
    for (int slot = 0; slot < MAX_UNITS; ++slot) {
        const USBDevice* unit = table_[slot].unit;
        if (unit && sameInstance(unit->instanceId(), instanceId)) return slot;
    }
    return -1;
}

namespace {

// Keeps the enumerator's snapshot for the enumeration part of one scan,
// however that part ends.
class EnumerationPass {
public:
    explicit EnumerationPass(DeviceEnumerator& enumerator) : enumerator_(enumerator) { enumerator_.beginScan(); }
    ~EnumerationPass() { end(); }
    void end() {
        if (open_) enumerator_.endScan();
        open_ = false;
    }

private:
    DeviceEnumerator& enumerator_;
    bool open_ = true;
};

} // namespace

void DeviceListener::scanOnce(bool& retry) {
    bool seen[MAX_UNITS] = {};
    bool leftOut = false; // a new unit found no free slot

    EnumerationPass pass(enumerator_);
    for (uint32_t index = 0;; ++index) {
        if (stopPending_) return;
        DeviceInterfaceInfo info;
        const DeviceEnumerator::Result result = enumerator_.interfaceAt(index, info);
        if (result == DeviceEnumerator::Result::None) break;
        // An interface whose detail cannot be read is skipped; a unit of the
        // table that is only seen this way counts as gone.
        if (result != DeviceEnumerator::Result::Found) continue;
        // Without an instance id a unit cannot be told apart from another.
        if (info.instanceId.empty()) continue;

        const int known = findUnit(info.instanceId);
        if (known >= 0) {
            seen[known] = true; // the same unit, whatever its path now
            continue;
        }
        // A path that does not fit is not cut to another object's name: the
        // unit is not created, as if its detail could not be read.
        if (info.path.size() > INTERFACE_PATH_MAX) continue;

        int slot = 0;
        while (slot < MAX_UNITS && table_[slot].unit) ++slot;
        if (slot == MAX_UNITS) {
            // Not announced: its removal could never be announced. A later
            // scan picks it up once a slot is free.
            leftOut = true;
            continue;
        }

        std::unique_ptr<DeviceTransport> transport;
        if (transportFactory_) transport = transportFactory_();
        if (!transport) continue;
        USBDevice* unit = new (std::nothrow)
            USBDevice(info.path.c_str(), info.instanceId.c_str(), info.devInst, std::move(transport));
        if (!unit) continue;

        unit->setEventCallback(&DeviceListener::forwardEvent, this);
        table_[slot].unit = unit;
        seen[slot] = true;
        unit->addRef();
        notify(unit, DEVICE_ARRIVED);
    }
    pass.end();

    bool freed = false;
    for (int slot = 0; slot < MAX_UNITS; ++slot) {
        USBDevice* unit = table_[slot].unit;
        if (!unit || seen[slot]) continue;
        if (stopPending_) return;
        notify(unit, DEVICE_REMOVED);
        table_[slot].unit = nullptr;
        unit->setEventCallback(nullptr, nullptr);
        unit->close();
        unit->release();
        freed = true;
    }
    // A unit left out for want of a slot gets one of the slots just freed.
    retry = leftOut && freed;
}

void DeviceListener::poll() {
    // A poll that comes in from a callback is dropped: the next tick polls.
    if (!started_ || stopPending_ || busy_ > 0 || pollsHeld_) return;
    ++busy_;
    for (int slot = 0; slot < MAX_UNITS && !stopPending_; ++slot) {
        USBDevice* unit = table_[slot].unit;
        if (unit && unit->isOpen()) unit->pollEvent();
    }
    --busy_;
    finishOperation();
}

void DeviceListener::stop() {
    if (busy_ > 0) {
        // Called from a callback: no further callbacks; the units are let go
        // once the scan or poll on the stack has ended.
        stopPending_ = true;
        return;
    }
    releaseAll();
    callback_ = nullptr;
    context_ = nullptr;
    rescanPending_ = false;
    announcePending_ = false;
    stopPending_ = false;
    started_ = false;
}

void DeviceListener::announcePresent() {
    if (!started_ || stopPending_) return;
    if (busy_ > 0) {
        announcePending_ = true;
        return;
    }
    ++busy_;
    announcePending_ = false;
    for (int slot = 0; slot < MAX_UNITS && !stopPending_; ++slot) {
        if (USBDevice* unit = table_[slot].unit) notify(unit, DEVICE_ARRIVED);
    }
    --busy_;
    finishOperation();
}

void DeviceListener::finishOperation() {
    if (busy_ > 0) return;
    if (stopPending_)
        stop();
    else if (rescanPending_)
        scan();
    else if (announcePending_)
        announcePresent();
}

void DeviceListener::releaseAll() {
    for (Slot& slot : table_) {
        USBDevice* unit = slot.unit;
        if (!unit) continue;
        slot.unit = nullptr;
        unit->setEventCallback(nullptr, nullptr);
        unit->close();
        unit->release();
    }
}

void DeviceListener::notify(USBDevice* unit, DeviceEvent event) {
    if (callback_ && !stopPending_) callback_(context_, unit, event);
}

void DeviceListener::forwardEvent(void* context, USBDevice* unit, DeviceEvent event) {
    static_cast<DeviceListener*>(context)->notify(unit, event);
}

bool DeviceListener::isScanCode(uint32_t code) {
    return code == 0x0007    // DBT_DEVNODES_CHANGED
           || code == 0x8000 // DBT_DEVICEARRIVAL
           || code == 0x8004; // DBT_DEVICEREMOVECOMPLETE
}

const char* DeviceListener::onDeviceChange(uint32_t code) {
    if (isScanCode(code)) {
        scan();
        return nullptr;
    }
    switch (code) {
    case 0x0017: return "DBT_QUERYCHANGECONFIG\n";
    case 0x0018: return "DBT_CONFIGCHANGED\n";
    case 0x0019: return "DBT_CONFIGCHANGECANCELED\n";
    case 0x8002: return "DBT_DEVICEQUERYREMOVEFAILED\n";
    case 0x8003: return "DBT_DEVICEREMOVEPENDING\n";
    case 0x8005: return "DBT_DEVICETYPESPECIFIC\n";
    case 0xFFFF: return "DBT_USERDEFINED\n";
    default: return nullptr;
    }
}

void DeviceListener::onTimer(uintptr_t id) {
    if (id != 0 && id == timerId_) poll();
}

USBDevice* DeviceListener::unitAt(int slot) const {
    return (slot >= 0 && slot < MAX_UNITS) ? table_[slot].unit : nullptr;
}

int DeviceListener::unitCount() const {
    int count = 0;
    for (const Slot& slot : table_)
        if (slot.unit) ++count;
    return count;
}

} // namespace velmora
