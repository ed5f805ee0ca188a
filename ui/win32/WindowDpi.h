// The scale a window is drawn at, and placing windows at it. The per-monitor
// functions of the platform are looked up when first needed: Windows 7 and
// 8 lack them, and there every window takes the system's DPI.
#pragma once

#include "ui/DisplayScale.h"

#include <windows.h>

namespace velmora {

// Sent when the window's DPI changes (Windows 8.1 and later): the new DPI in
// both words of wParam, the suggested window rectangle at lParam.
constexpr UINT kDpiChangedMessage = 0x02E0; // WM_DPICHANGED

// The DPI of the window's monitor (GetDpiForWindow); where the platform
// cannot tell, the system's DPI.
DisplayScale windowScale(HWND window);

// The DPI the system draws at (the primary monitor's at sign-in).
DisplayScale systemScale();

// GetSystemMetrics for a scale: GetSystemMetricsForDpi where the platform
// has it, else the system's value scaled from the system's DPI.
int systemMetricFor(int index, DisplayScale scale);

// Keeps a dialog's own layout when its DPI changes: the platform would
// otherwise rescale the dialog's fonts and controls by itself (Windows 10
// 1703 and later).
void keepOwnLayoutOnDpiChange(HWND dialog);

// Moves a child to `box` (its parent's client pixels), without redrawing.
void placeChild(HWND child, PixelBox box);

// Moves a child's top-left corner, keeping its size.
void moveChild(HWND child, int x, int y);

} // namespace velmora
