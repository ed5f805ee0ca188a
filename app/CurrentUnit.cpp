#include "app/CurrentUnit.h"

#include "device/USBDevice.h"

namespace velmora {

CurrentUnit::~CurrentUnit() {
    // The window is normally destroyed first; a unit still held here loses
    // its reference all the same.
    drop();
}

bool CurrentUnit::isOpen() const { return device_ && device_->isOpen(); }

void CurrentUnit::take(USBDevice* device) {
    if (device_ || !device) return;
    device_ = device;
    device->addRef();
    ++generation_;
}

void CurrentUnit::drop() {
    if (!device_) return;
    USBDevice* device = device_;
    device_ = nullptr;
    ++generation_;
    device->close();
    device->release();
}

} // namespace velmora
