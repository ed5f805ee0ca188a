// The unit the main window works with, and its generation: every arrival and
// every removal moves the generation on. An operation takes a ticket before
// it starts; after anything that can pump messages (a message box, during
// which the unit may be unplugged, or unplugged and plugged again so that a
// new unit sits at the same address) it goes on only while its ticket still
// holds: the same unit, still current, its channel still open.
#pragma once

#include <cstdint>

namespace velmora {

class USBDevice;

class CurrentUnit {
public:
    struct Ticket {
        uint64_t generation = 0;
    };

    CurrentUnit() = default;
    ~CurrentUnit();

    CurrentUnit(const CurrentUnit&) = delete;
    CurrentUnit& operator=(const CurrentUnit&) = delete;

    USBDevice* get() const { return device_; }
    // A unit is current and its control channel is open.
    bool isOpen() const;

    // Makes `device` current and takes a reference on it.
    void take(USBDevice* device);
    // Closes the current unit's channel and gives up the reference; none is
    // current afterwards.
    void drop();

    Ticket ticket() const { return Ticket{generation_}; }
    // The unit of `ticket` is still the current one and still open.
    bool holds(Ticket ticket) const { return ticket.generation == generation_ && isOpen(); }

private:
    USBDevice* device_ = nullptr;
    uint64_t generation_ = 0;
};

} // namespace velmora
