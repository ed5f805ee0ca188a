// The skin's GDI objects, shared and made when first drawn. Each bitmap
// resource is loaded once and each solid brush made once per colour, however
// many controls show it; a control holds what it uses, and the object is
// deleted when its last holder lets it go (so destroying every control leaves
// nothing behind). A window that was never shown has made none of them: its
// controls know their images' sizes from the resources alone.
#pragma once

#include "ui/DisplayScale.h"
#include "ui/win32/Gdi.h"

#include <memory>
#include <string>

namespace velmora {

using SharedBitmap = std::shared_ptr<const Bitmap>;
using SharedBrush = std::shared_ptr<const Brush>;

// The bitmap resource of that name; empty for a null name or a missing resource.
// At another scale than 100 %: the artwork drawn for the scale (resource
// NAME_150, NAME_200) at the scaled size of the 100 % bitmap; a scale without
// artwork of its own takes the next larger set (or the largest) resampled
// with the platform's halftone filter. Made once per name and scale while
// anything holds it; a scale nobody draws any more holds nothing.
SharedBitmap skinBitmap(const char* name, DisplayScale scale = DisplayScale{});

// A solid brush of that colour; empty when the brush cannot be made.
SharedBrush skinBrush(COLORREF colour);

inline HBITMAP handleOf(const SharedBitmap& bitmap) { return bitmap ? bitmap->get() : nullptr; }
inline HBRUSH handleOf(const SharedBrush& brush) { return brush ? brush->get() : nullptr; }

// Width and height of the bitmap resource of that name, read from the
// resource itself; {0, 0} when there is none.
SIZE bitmapResourceSize(const char* name);

// One bitmap resource of the skin, loaded (shared) the first time it is drawn.
class SkinImage {
public:
    SkinImage() = default;
    // An empty image for a null name or a missing resource.
    explicit SkinImage(const char* name, DisplayScale scale = DisplayScale{});

    explicit operator bool() const { return size_.cx > 0 && size_.cy > 0; }
    SIZE size() const { return size_; } // at its scale
    DisplayScale scale() const { return scale_; }
    // The same image at another scale (made when first drawn, as this one).
    SkinImage rescaled(DisplayScale scale) const { return name_.empty() ? SkinImage() : SkinImage(name_.c_str(), scale); }
    HBITMAP get() const; // null when empty or when the bitmap cannot be made

private:
    std::string name_;
    SIZE size_{0, 0};
    DisplayScale scale_;
    mutable SharedBitmap bitmap_;
};

// A solid brush of one colour, made the first time it is used.
class SkinBrush {
public:
    explicit SkinBrush(COLORREF colour = 0) : colour_(colour) {}
    HBRUSH get() const;

private:
    COLORREF colour_;
    mutable SharedBrush brush_;
};

} // namespace velmora
