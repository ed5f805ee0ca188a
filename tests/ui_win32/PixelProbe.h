// Reading pixels back under Wine: a rendered window's client area through
// BitBlt from its DC, and a bitmap resource's own pixels through GetDIBits,
// both as 0x00RRGGBB, row-major, top row first.
#pragma once

#include <windows.h>
#include <intrin.h>

#include <cstdint>
#include <vector>

namespace velmora::test {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;

    uint32_t at(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
    bool rowEquals(int y, const Pixels& other, int otherY) const
    {
        for (int x = 0; x < width; ++x)
            if (at(x, y) != other.at(x, otherY))
                return false;
        return true;
    }
};

inline uint32_t rgb(int r, int g, int b)
{
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

// Handles every queued message of this thread (posted notifications,
// paints) and returns when the queue is empty.
inline void pumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

inline Pixels dibPixels(HDC source, int x, int y, int width, int height)
{
    Pixels out;
    out.width = width;
    out.height = height;
    out.data.assign(static_cast<size_t>(width) * height, 0);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib)
        return out;
    HDC mem = ::CreateCompatibleDC(source);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, width, height, source, x, y, SRCCOPY);
    ::GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < out.data.size(); ++i)
        out.data[i] = p[i] & 0x00FFFFFFu;
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::DeleteObject(dib);
    return out;
}

// The client area of a window as it was painted (pending paints done first).
inline Pixels capture(HWND hwnd)
{
    ::UpdateWindow(hwnd);
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    HDC dc = ::GetDC(hwnd);
    Pixels out = dibPixels(dc, 0, 0, rc.right, rc.bottom);
    ::ReleaseDC(hwnd, dc);
    return out;
}

// The pixels of a bitmap resource of this program, as stored.
inline Pixels resourcePixels(const char* name)
{
    Pixels out;
    HBITMAP bmp = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp)
        return out;
    BITMAP info{};
    ::GetObjectA(bmp, sizeof info, &info);
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    out = dibPixels(mem, 0, 0, info.bmWidth, info.bmHeight);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(bmp);
    return out;
}

// GDI objects of this process as the system counts them. Wine 8.0 answers
// 0 here (the call is not implemented there); use liveGdiHandles instead.
inline DWORD gdiObjectCount()
{
    return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
}

// Live GDI handles counted in the process's GDI handle table (the PEB's
// GdiSharedHandleTable, 24-byte entries with the object type at byte 14),
// which Wine keeps as Windows does. -1 when the table is not there.
inline long liveGdiHandles()
{
#if defined(__x86_64__) || defined(_M_X64)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    const auto* peb = reinterpret_cast<const unsigned char*>(__readgsqword(0x60));
#pragma GCC diagnostic pop
    const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
    if (!table)
        return -1;
    long live = 0;
    for (size_t i = 0; i < 0x10000; ++i) {
        const unsigned char* entry = table + i * 24;
        if (entry[14] != 0)
            ++live;
    }
    return live;
#else
    return -1;
#endif
}

} // namespace velmora::test
