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
    backName_ = backName;
    foreName_ = foreName;
    const SIZE size = bitmapResourceSize(backName);
    const int width = size.cx;
    const int height = size.cy;
    height_ = height;
    model_.configure(lower, upper, height);
    drawn_ = picture();
    position_ = POINT{x, y};
    if (!registerClass(kClassName))
        return false;
    return createWindow(0, kClassName, "peak window", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, id);
}

void CPeakMeter::setScale(DisplayScale scale, POINT at)
{
    if (backName_.empty())
        return;
    scale_ = scale;
    images_.reset();
    const SIZE base = bitmapResourceSize(backName_.c_str());
    height_ = scale.px(base.cy);
    const int level = model_.level();
    model_.configure(model_.lower(), model_.upper(), height_);
    model_.setLevel(level);
    drawn_ = picture(); // the whole meter is painted again at its new size
    position_ = at;
    if (hwnd()) {
        ::SetWindowPos(hwnd(), nullptr, at.x, at.y, scale.px(base.cx), height_, SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    }
}

const MeterImages* CPeakMeter::images()
{
    if (!images_ && !backName_.empty())
        images_ = MeterImages::get(backName_.c_str(), foreName_.c_str(), scale_);
    return images_.get();
}

MeterPicture CPeakMeter::picture() const
{
    MeterPicture picture;
    picture.litTop = model_.litTop();
    if (picture.litTop < 0)
        picture.litTop = 0;
    picture.markRow = markLevel_ > 0 ? model_.litTopFor(markLevel_) : MeterPicture::NO_MARK;
    picture.clipped = clipped_;
    picture.capRows = scale_.px(MeterPicture::CAP_ROWS);
    picture.markRows = scale_.px(1);
    return picture;
}

void CPeakMeter::takeLevel(int level)
{
    model_.setLevel(level);
}

void CPeakMeter::setHold(int32_t markLevel, bool clipped)
{
    markLevel_ = markLevel;
    clipped_ = clipped;
}

void CPeakMeter::setLevel(int level)
{
    if (!model_.setLevel(level) || !hwnd() || !::IsWindowVisible(hwnd()) || !needsDrawing())
        return;
    WindowDC dc(hwnd());
    drawChanges(dc.get(), 0, 0);
}

void CPeakMeter::drawChanges(HDC target, int x, int y)
{
    const MeterPicture now = picture();
    const MeterImages* images = this->images();
    if (!images || !target || now == drawn_)
        return;
    RowSpan spans[4];
    const int count = changedRows(drawn_, now, height_, spans);
    for (int i = 0; i < count; ++i)
        images->drawRows(target, x, y, now, spans[i]);
    drawn_ = now;
}

LRESULT CPeakMeter::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Readers ask for the level when they need it; 20 updates a second are
    // not announced.
    LRESULT answered = 0;
    if (accessible_.handleMessage(hwnd(), message, wParam, lParam, answered))
        return answered;
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_LBUTTONDOWN:
        if (clicked_)
            clicked_();
        return 0;
    default:
        break;
    }
    return defaultHandling(message, wParam, lParam);
}

void CPeakMeter::paint()
{
    ChildPaintDC dc(hwnd());
    const MeterImages* images = this->images();
    if (!images)
        return;
    // Every row is drawn once, from the shared images: nothing to compose off-screen.
    const MeterPicture now = picture();
    images->drawRows(dc.get(), 0, 0, now, RowSpan{0, height_});
    drawn_ = now;
}

} // namespace velmora
