// RAII holders for GDI objects, device contexts and selections, so that no
// handle leaks on any path (early returns included). Win32 only.
#pragma once

#include <windows.h>

#include <utility>

namespace velmora {

// Owns one GDI object (bitmap, font, brush, pen, region) and deletes it.
// The object must not be selected into a DC when the holder lets it go;
// ScopedSelect restores selections before the objects are released.
template <typename Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }

    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    void reset(Handle handle = nullptr)
    {
        if (handle_ && handle_ != handle)
            ::DeleteObject(handle_);
        handle_ = handle;
    }
    Handle release() { return std::exchange(handle_, nullptr); }

private:
    Handle handle_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;

// A memory DC compatible with another DC (or with the screen when null).
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC()
    {
        if (dc_)
            ::DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on destruction.
// A null object or DC selects nothing and ok() answers false.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr)
    {
        if (previous_ == HGDI_ERROR)
            previous_ = nullptr;
    }
    ~ScopedSelect()
    {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

    bool ok() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
    ~PaintDC() { ::EndPaint(hwnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }
    const PAINTSTRUCT& paintStruct() const { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// WM_PAINT of a child control drawn through its parent's DC: the control's
// update region is validated (as BeginPaint would; the control has no
// background of its own to erase, and it draws itself whole) and the DC's
// origin is the control's top-left corner, clipped to the control. Under
// Wine every window that takes a DC of its own (GetUpdateRect takes one too)
// keeps a cached DC and a region for good, up to 64 of them; controls that
// paint through their parent's DC keep none. For controls that no sibling
// overlaps; when the parent clips its children away, the control's own DC
// is taken instead.
class ChildPaintDC {
public:
    explicit ChildPaintDC(HWND child) : child_(child)
    {
        HWND parent = ::GetParent(child);
        if (!parent || (::GetWindowLongPtrA(parent, GWL_STYLE) & WS_CLIPCHILDREN)) {
            own_ = ::BeginPaint(child, &paint_);
            dc_ = own_;
            return;
        }
        ::ValidateRect(child, nullptr);
        RECT client{};
        ::GetClientRect(child, &client);
        POINT origin{0, 0};
        ::MapWindowPoints(child, parent, &origin, 1);
        parent_ = parent;
        dc_ = ::GetDC(parent);
        if (!dc_)
            return;
        saved_ = ::SaveDC(dc_);
        ::IntersectClipRect(dc_, origin.x, origin.y, origin.x + client.right, origin.y + client.bottom);
        ::SetViewportOrgEx(dc_, origin.x, origin.y, nullptr);
    }
    ~ChildPaintDC()
    {
        if (own_) {
            ::EndPaint(child_, &paint_);
            return;
        }
        if (!dc_)
            return;
        if (saved_)
            ::RestoreDC(dc_, saved_);
        ::ReleaseDC(parent_, dc_);
    }
    ChildPaintDC(const ChildPaintDC&) = delete;
    ChildPaintDC& operator=(const ChildPaintDC&) = delete;

    HDC get() const { return dc_; }

private:
    HWND child_;
    HWND parent_ = nullptr;
    HDC dc_ = nullptr;
    HDC own_ = nullptr;
    int saved_ = 0;
    PAINTSTRUCT paint_{};
};

// GetDC / ReleaseDC of a window's client area (or the screen when null).
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDC()
    {
        if (dc_)
            ::ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Loads a bitmap resource by name from the program's own module (the exe),
// kept in the resource's own format (the skin's 8-bit palettised images take
// a quarter of the memory of the screen's 32-bit pixels; a copy to the
// screen converts them). Null name or missing resource: an empty holder.
inline Bitmap loadBitmapResource(const char* name)
{
    if (!name)
        return Bitmap();
    return Bitmap(static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// Width and height of a bitmap; {0, 0} for a null or invalid handle.
inline SIZE bitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || ::GetObjectA(bitmap, sizeof info, &info) != sizeof info)
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// Copies a bitmap 1:1 at its own size to (x, y) of a DC. False when the
// bitmap is absent or cannot be selected.
inline bool drawBitmap(HDC target, HBITMAP bitmap, int x, int y)
{
    if (!target || !bitmap)
        return false;
    const SIZE size = bitmapSize(bitmap);
    MemoryDC source(target);
    ScopedSelect select(source.get(), bitmap);
    if (!select.ok())
        return false;
    return ::BitBlt(target, x, y, size.cx, size.cy, source.get(), 0, 0, SRCCOPY) != FALSE;
}

} // namespace velmora
