#include "ui/win32/CPeakMeter.h"

namespace velmora {

namespace {
const char kClassName[] = "VelmoraPeakMeter";
} // namespace

bool CPeakMeter::create(HWND parent, int x, int y, int lower, int upper, int id, const char* backName,
                        const char* foreName)
{
    if (!backName || !foreName || hwnd())
        return false;
    back_ = loadBitmapResource(backName);
    fore_ = loadBitmapResource(foreName);
    const SIZE size = bitmapSize(back_.get());
    width_ = size.cx;
    height_ = size.cy;
    model_.configure(lower, upper, height_);
    if (!registerClass(kClassName))
        return false;
    return createWindow(0, kClassName, "peak window", WS_CHILD | WS_VISIBLE, x, y, width_, height_,
                        parent, id);
}

void CPeakMeter::setLevel(int level)
{
    if (model_.setLevel(level) && hwnd())
        ::InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT CPeakMeter::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_GETOBJECT: {
        // Readers ask for the level when they need it; 20 updates a second
        // are not announced.
        LRESULT result = 0;
        if (accessible_.answer(hwnd(), wParam, lParam, result))
            return result;
        break;
    }
    case WM_NCDESTROY:
        accessible_.disconnect();
        break;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

void CPeakMeter::paint()
{
    PaintDC dc(hwnd());
    MemoryDC buffer(dc.get());
    Bitmap surface(::CreateCompatibleBitmap(dc.get(), width_, height_));
    ScopedSelect selectSurface(buffer.get(), surface.get());
    if (!selectSurface.ok())
        return;
    drawBitmap(buffer.get(), back_.get(), 0, 0);
    int top = model_.litTop();
    if (top < 0)
        top = 0;
    if (top < height_ && fore_) {
        MemoryDC source(buffer.get());
        ScopedSelect selectFore(source.get(), fore_.get());
        if (selectFore.ok())
            ::BitBlt(buffer.get(), 0, top, width_, height_ - top, source.get(), 0, top, SRCCOPY);
    }
    ::BitBlt(dc.get(), 0, 0, width_, height_, buffer.get(), 0, 0, SRCCOPY);
}

} // namespace velmora
