#include "ui/win32/MeterImages.h"

#include <string>
#include <utility>

namespace velmora {

namespace {

const COLORREF kClipCapColour = RGB(255, 36, 36);

// Brightness of each row of a bitmap (the sum of its pixels' channels).
std::vector<uint32_t> rowBrightness(HBITMAP bitmap, int width, int height)
{
    std::vector<uint32_t> rows(static_cast<size_t>(height), 0);
    if (width <= 0 || height <= 0)
        return rows;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    WindowDC screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) !=
        height)
        return rows;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            rows[static_cast<size_t>(y)] += (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
        }
    return rows;
}

// For each row, the row of the bar a mark there copies: the brightest of the
// row and its neighbours (read before the bar is selected anywhere).
std::vector<int16_t> markSources(HBITMAP bar, int width, int height)
{
    const std::vector<uint32_t> bright = rowBrightness(bar, width, height);
    std::vector<int16_t> source(static_cast<size_t>(height > 0 ? height : 0));
    for (int row = 0; row < height; ++row) {
        int best = row;
        for (int other : {row + 1, row - 1})
            if (other >= 0 && other < height && bright[static_cast<size_t>(other)] > bright[static_cast<size_t>(best)])
                best = other;
        source[static_cast<size_t>(row)] = static_cast<int16_t>(best);
    }
    return source;
}

} // namespace

std::shared_ptr<const MeterImages> MeterImages::get(const char* backName, const char* foreName, DisplayScale scale)
{
    if (!backName || !foreName)
        return nullptr;
    struct Entry {
        std::string back, fore;
        int dpi;
        std::weak_ptr<const MeterImages> images;
    };
    static std::vector<Entry> cache;
    for (auto it = cache.begin(); it != cache.end();) {
        if (it->images.expired()) {
            it = cache.erase(it);
            continue;
        }
        if (it->back == backName && it->fore == foreName && it->dpi == scale.dpi)
            return it->images.lock();
        ++it;
    }
    SharedBitmap back = skinBitmap(backName, scale);
    SharedBitmap fore = skinBitmap(foreName, scale);
    if (!back || !fore)
        return nullptr;
    auto images = std::make_shared<const MeterImages>(std::move(back), std::move(fore));
    if (!images->ok())
        return nullptr;
    cache.push_back({backName, foreName, scale.dpi, images});
    return images;
}

MeterImages::MeterImages(SharedBitmap back, SharedBitmap fore)
    : back_(std::move(back)), fore_(std::move(fore)), width_(bitmapSize(handleOf(back_)).cx),
      height_(bitmapSize(handleOf(back_)).cy), markSource_(markSources(handleOf(fore_), width_, height_)),
      cap_(skinBrush(kClipCapColour)), backDc_(nullptr), foreDc_(nullptr),
      selectBack_(backDc_.get(), handleOf(back_)), selectFore_(foreDc_.get(), handleOf(fore_))
{
}

void MeterImages::drawRows(HDC target, int x, int y, const MeterPicture& picture, RowSpan span) const
{
    RowRun runs[5];
    const int count = rowRuns(picture, span, height_, runs);
    for (int i = 0; i < count; ++i) {
        const RowRun& run = runs[i];
        const int rows = run.end - run.first;
        switch (run.source) {
        case RowSource::Track:
            ::BitBlt(target, x, y + run.first, width_, rows, backDc_.get(), 0, run.first, SRCCOPY);
            break;
        case RowSource::LitBar:
            ::BitBlt(target, x, y + run.first, width_, rows, foreDc_.get(), 0, run.first, SRCCOPY);
            break;
        case RowSource::Mark: // one row at 100 %, more at larger scales
            for (int row = run.first; row < run.end; ++row)
                ::BitBlt(target, x, y + row, width_, 1, foreDc_.get(), 0, markSource_[static_cast<size_t>(row)],
                         SRCCOPY);
            break;
        case RowSource::Cap: {
            const RECT cap{x, y + run.first, x + width_, y + run.end};
            ::FillRect(target, &cap, handleOf(cap_));
            break;
        }
        }
    }
}

} // namespace velmora
