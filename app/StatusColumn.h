// The main window's status column: device, clock source, sample rate,
// latency, input and output format. It keeps what the last refresh read and
// makes the six texts only while the window is shown; showing the window
// puts the last reading up at once, so that its first frame is current.
#pragma once

#include "app/PanelView.h"

#include <cstdint>

namespace velmora {

class StatusColumn {
public:
    struct Reading {
        int32_t clock = 0;             // 0 Auto, 1 Internal, 2 Digital
        int32_t rate = 0;              // Hz
        const char* latency = nullptr; // the latency's name, owned by the caller for the run
        int32_t inputs = 0;
        int32_t outputs = 0;
    };

    explicit StatusColumn(PanelView& view) : view_(view) {}

    // A new reading: kept, and shown while the window is shown.
    void update(const Reading& reading);
    // Shows the last reading (nothing before the first).
    void show();

private:
    PanelView& view_;
    Reading last_;
    bool read_ = false;
};

} // namespace velmora
