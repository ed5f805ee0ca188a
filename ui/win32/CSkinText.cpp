#include "ui/win32/CSkinText.h"

#include "ui/SkinTextLayout.h"
#include "ui/win32/SkinFontCache.h"

namespace velmora {

namespace {
const char kClassName[] = "VelmoraSkinText";

UINT horizontalFormat(int mode)
{
    switch (textAlignFor(mode)) {
    case TextAlign::Left:
        return DT_LEFT;
    case TextAlign::Centre:
        return DT_CENTER;
    default:
        return DT_RIGHT;
    }
}
} // namespace

bool CSkinText::create(HWND parent, int x, int y, int width, int height, int id, COLORREF textColour,
                       COLORREF backColour, const char* text, SkinFont font)
{
    text_ = text ? text : "";
    fontKind_ = font;
    font_ = skinFont(font);
    textColour_ = textColour;
    backColour_ = backColour;
    background_ = SkinBrush(backColour);
    if (!registerClass(kClassName))
        return false;
    return createWindow(0, kClassName, "static winodw", WS_CHILD | WS_VISIBLE, x, y, width, height,
                        parent, id);
}

void CSkinText::setScale(DisplayScale scale)
{
    font_ = skinFont(fontKind_, scale);
    if (hwnd())
        ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CSkinText::setText(const char* text)
{
    const char* shown = text ? text : "";
    if (text_ == shown)
        return;
    text_ = shown;
    if (!hwnd())
        return;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    AccessibleClient::valueChanged(hwnd());
}

void CSkinText::setAlign(int mode)
{
    const bool looksDifferent = textAlignFor(mode) != textAlignFor(align_);
    align_ = mode;
    if (hwnd() && looksDifferent)
        ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CSkinText::setShowsData(bool showsData)
{
    if (showsData_ == showsData)
        return;
    showsData_ = showsData;
    if (hwnd())
        ::InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT CSkinText::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT answered = 0;
    if (accessible_.handleMessage(hwnd(), message, wParam, lParam, answered))
        return answered;
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    default:
        return defaultHandling(message, wParam, lParam);
    }
}

void CSkinText::paint()
{
    ChildPaintDC dc(hwnd());
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (HBRUSH background = background_.get())
        ::FillRect(dc.get(), &client, background);
    ScopedSelect font(dc.get(), font_);
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), textColour_);
    const UINT dataFormat = showsData_ ? DT_NOPREFIX | DT_END_ELLIPSIS : 0;
    ::DrawTextA(dc.get(), text_.c_str(), -1, &client,
                DT_SINGLELINE | DT_VCENTER | horizontalFormat(align_) | dataFormat);
}

} // namespace velmora
