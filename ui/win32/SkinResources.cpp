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

SharedBitmap skinBitmap(const char* name)
{
    if (!name)
        return nullptr;
    static WeakCache<std::string, Bitmap> bitmaps;
    return bitmaps.find(name, [name] { return loadBitmapResource(name); });
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

SkinImage::SkinImage(const char* name)
{
    size_ = bitmapResourceSize(name);
    if (size_.cx > 0 && size_.cy > 0)
        name_ = name;
    else
        size_ = SIZE{0, 0};
}

HBITMAP SkinImage::get() const
{
    if (!bitmap_ && !name_.empty())
        bitmap_ = skinBitmap(name_.c_str());
    return handleOf(bitmap_);
}

HBRUSH SkinBrush::get() const
{
    if (!brush_)
        brush_ = skinBrush(colour_);
    return handleOf(brush_);
}

} // namespace velmora
