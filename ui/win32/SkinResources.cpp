#include "ui/win32/SkinResources.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

namespace {

// A small cache of weak references: at most a few dozen entries, looked up
// while controls are built (never during a meter tick).
template <typename Key, typename Object>
class WeakCache {
public:
    template <typename Make>
    std::shared_ptr<const Object> find(const Key& key, Make make)
    {
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (it->second.expired()) {
                it = entries_.erase(it);
                continue;
            }
            if (it->first == key)
                return it->second.lock();
            ++it;
        }
        Object made = make();
        if (!made)
            return nullptr;
        auto shared = std::make_shared<const Object>(std::move(made));
        entries_.emplace_back(key, shared);
        return shared;
    }

private:
    std::vector<std::pair<Key, std::weak_ptr<const Object>>> entries_;
};

} // namespace

namespace {

// A copy of `source` at `size`, resampled with the halftone filter.
Bitmap resampled(HBITMAP source, SIZE size)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap made(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!made)
        return Bitmap();
    const SIZE from = bitmapSize(source);
    MemoryDC target(nullptr), origin(nullptr);
    ScopedSelect selectTarget(target.get(), made.get());
    ScopedSelect selectOrigin(origin.get(), source);
    if (!selectTarget.ok() || !selectOrigin.ok())
        return Bitmap();
    ::SetStretchBltMode(target.get(), HALFTONE);
    ::SetBrushOrgEx(target.get(), 0, 0, nullptr);
    if (!::StretchBlt(target.get(), 0, 0, size.cx, size.cy, origin.get(), 0, 0, from.cx, from.cy, SRCCOPY))
        return Bitmap();
    return made;
}

Bitmap loadScaledBitmap(const char* name, DisplayScale scale)
{
    if (scale.unscaled())
        return loadBitmapResource(name);
    const SIZE base = bitmapResourceSize(name);
    const SIZE wanted{scale.px(base.cx), scale.px(base.cy)};
    const int percent = artPercentFor(scale);
    Bitmap art = percent == 100 ? Bitmap()
                                : loadBitmapResource((std::string(name) + "_" + std::to_string(percent)).c_str());
    if (!art)
        art = loadBitmapResource(name);
    if (!art)
        return Bitmap();
    const SIZE drawn = bitmapSize(art.get());
    if (drawn.cx == wanted.cx && drawn.cy == wanted.cy)
        return art;
    return resampled(art.get(), wanted);
}

} // namespace

SharedBitmap skinBitmap(const char* name, DisplayScale scale)
{
    if (!name)
        return nullptr;
    static WeakCache<std::pair<std::string, int>, Bitmap> bitmaps;
    return bitmaps.find(std::make_pair(std::string(name), scale.dpi),
                        [name, scale] { return loadScaledBitmap(name, scale); });
}

SharedBrush skinBrush(COLORREF colour)
{
    static WeakCache<COLORREF, Brush> brushes;
    return brushes.find(colour, [colour] { return Brush(::CreateSolidBrush(colour)); });
}

SIZE bitmapResourceSize(const char* name)
{
    if (!name)
        return SIZE{0, 0};
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, name, MAKEINTRESOURCEA(2)); // RT_BITMAP
    const DWORD bytes = found ? ::SizeofResource(module, found) : 0;
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* data = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!data || bytes < sizeof(BITMAPCOREHEADER))
        return SIZE{0, 0};
    DWORD headerSize = 0;
    std::memcpy(&headerSize, data, sizeof headerSize);
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core{};
        std::memcpy(&core, data, sizeof core);
        return SIZE{core.bcWidth, core.bcHeight};
    }
    if (headerSize < sizeof(BITMAPINFOHEADER) || bytes < sizeof(BITMAPINFOHEADER))
        return SIZE{0, 0};
    BITMAPINFOHEADER info{};
    std::memcpy(&info, data, sizeof info);
    return SIZE{info.biWidth, info.biHeight < 0 ? -info.biHeight : info.biHeight};
}

SkinImage::SkinImage(const char* name, DisplayScale scale) : scale_(scale)
{
    size_ = bitmapResourceSize(name);
    if (size_.cx > 0 && size_.cy > 0) {
        name_ = name;
        size_ = SIZE{scale.px(size_.cx), scale.px(size_.cy)};
    } else {
        size_ = SIZE{0, 0};
    }
}

HBITMAP SkinImage::get() const
{
    if (!bitmap_ && !name_.empty())
        bitmap_ = skinBitmap(name_.c_str(), scale_);
    return handleOf(bitmap_);
}

HBRUSH SkinBrush::get() const
{
    if (!brush_)
        brush_ = skinBrush(colour_);
    return handleOf(brush_);
}

} // namespace velmora
