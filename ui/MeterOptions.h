// What the main window's meter commands ask of the page that shows the
// meters: whether peak-hold marks and clip latches are shown, and clearing
// every latch.
#pragma once

namespace velmora {

class MeterOptions {
public:
    virtual void setPeakHold(bool on) = 0;
    virtual void resetClips() = 0;

protected:
    ~MeterOptions() = default;
};

} // namespace velmora
