// Vertical bar meter drawn from an unlit track and a lit bar: the lit bar is
// revealed from the bottom up to the level. No hold, no decay.
#pragma once

#include "ui/MeterMath.h"
#include "ui/win32/AccessibleClient.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Window.h"

namespace velmora {

class CPeakMeter : public Window {
public:
    // False (and no window) when either image name is missing.
    bool create(HWND parent, int x, int y, int lower, int upper, int id, const char* backName,
                const char* foreName);

    // Accepts lower <= level <= upper, compared as unsigned numbers (so a
    // negative level is ignored); an accepted level is stored and repainted,
    // also when it equals the one shown.
    void setLevel(int level);
    int level() const { return model_.level(); }

    AccessibleClient& accessible() { return accessible_; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void paint();

    Bitmap back_;
    Bitmap fore_;
    PeakMeterModel model_; // level, bounds and the lit boundary
    int width_ = 0;
    int height_ = 0;
    AccessibleClient accessible_;
};

} // namespace velmora
