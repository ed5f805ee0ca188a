#include "ui/win32/CControlPage.h"

#include "res/resource.h"
#include "ui/AccessibleText.h"
#include "ui/win32/SkinFontCache.h"
#include "ui/win32/WindowDpi.h"

namespace velmora {

using namespace controlpage;

namespace {
COLORREF colour(Rgb c) { return RGB(c.r, c.g, c.b); }
} // namespace

CControlPage::CControlPage(SettingsApplier* owner)
    : CSkinPage(IDD_PAGE_CONTROL, "Control page"), logic_(*this, owner) {}

// ------------------------------------------------------------ the controls

void CControlPage::createSkinButton(CSkinButton& button, int id, Point at, const char* off, const char* on)
{
    const RECT nominal{at.x, at.y, at.x + BUTTON_NOMINAL_SIZE.width, at.y + BUTTON_NOMINAL_SIZE.height};
    button.create(BUTTON_TEXT, CSkinButton::kStyle | WS_TABSTOP, nominal, hwnd(), id);
    button.loadImages(off, on);
    button.sizeToImage();
}

void CControlPage::buildControls()
{
    createSkinButton(monButton_, ID_MON, MON_POSITION, MON_OFF, MON_ON);
    createSkinButton(mixButton_, ID_MIX, MIX_POSITION, MIX_OFF, MIX_ON);
    for (int k = 0; k < PAIRS; ++k) {
        for (int output : {2 * k, 2 * k + 1})
            createSkinButton(muteButtons_[output], muteId(output), mutePosition(output),
                             muteOffImage(output), muteOnImage(output));
    }
    for (int k = 0; k < PAIRS; ++k)
        createSkinButton(linkButtons_[k], linkId(k), linkPosition(k), LINK_OFF, LINK_ON);

    selectorBrush_ = SkinBrush(colour(SELECTOR_BRUSH_COLOUR));
    for (int k = 0; k < SELECTORS; ++k) {
        const Point at = selectorPosition(k);
        // Plain (not automatic) radio buttons: only the program checks them.
        const RECT bounds{at.x, at.y, at.x + SELECTOR_SIZE.width, at.y + SELECTOR_SIZE.height};
        spdifOutButtons_[k].create(SELECTOR_TEXT, selectorId(k), bounds, hwnd(), skinFont(SkinFont::Label),
                                   k == 0 ? WS_GROUP : 0);
    }
    checkSelector(0);

    meters_.create(hwnd());
    for (int output = 0; output < OUTPUTS; ++output) {
        const Point at = faderPosition(output);
        faders_[output].create(hwnd(), at.x, at.y, FADER_LOWER, FADER_UPPER, faderId(output), FADER_BACK,
                               FADER_KNOB_OFF, FADER_KNOB_ON);
    }
    for (int output = 0; output < OUTPUTS; ++output) {
        const Point at = labelPosition(output);
        dbLabels_[output].create(hwnd(), at.x, at.y, LABEL_SIZE.width, LABEL_SIZE.height, labelId(output),
                                 colour(LABEL_TEXT_COLOUR), colour(LABEL_BACK_COLOUR), LABEL_INITIAL_TEXT,
                                 SkinFont::SmallText);
    }
    arrangeKeyboardOrder();
    describeControls();
}

void CControlPage::scaleControls(DisplayScale scale)
{
    auto place = [scale](CSkinButton& button, Point at) {
        button.setScale(scale);
        button.sizeToImage();
        moveChild(button.hwnd(), scale.px(at.x), scale.px(at.y));
    };
    place(monButton_, MON_POSITION);
    place(mixButton_, MIX_POSITION);
    for (int output = 0; output < OUTPUTS; ++output)
        place(muteButtons_[output], mutePosition(output));
    for (int k = 0; k < PAIRS; ++k)
        place(linkButtons_[k], linkPosition(k));
    for (int k = 0; k < SELECTORS; ++k) {
        const Point at = selectorPosition(k);
        ::SendMessageA(spdifOutButtons_[k].hwnd(), WM_SETFONT,
                       reinterpret_cast<WPARAM>(skinFont(SkinFont::Label, scale)), FALSE);
        placeChild(spdifOutButtons_[k].hwnd(), scale.box(at.x, at.y, SELECTOR_SIZE.width, SELECTOR_SIZE.height));
    }
    meters_.setScale(scale);
    for (int output = 0; output < OUTPUTS; ++output) {
        const Point at = faderPosition(output);
        faders_[output].setScale(scale);
        moveChild(faders_[output].hwnd(), scale.px(at.x), scale.px(at.y));
        const Point label = labelPosition(output);
        dbLabels_[output].setScale(scale);
        placeChild(dbLabels_[output].hwnd(), scale.box(label.x, label.y, LABEL_SIZE.width, LABEL_SIZE.height));
    }
}

HWND CControlPage::controlById(int controlId) const
{
    if (const CSkinButton* button = buttonById(controlId))
        return button->hwnd();
    const int member = controlId & MEMBER_MASK;
    if ((controlId & FAMILY_MASK) == ID_FADER_FIRST && member < OUTPUTS)
        return faders_[member].hwnd();
    if ((controlId & FAMILY_MASK) == ID_SELECTOR_FIRST && member < SELECTORS)
        return spdifOutButtons_[member].hwnd();
    return nullptr;
}

void CControlPage::arrangeKeyboardOrder()
{
    // The Tab key follows the windows' order among their siblings: the
    // controls it visits go first, in KEYBOARD_ORDER; meters and labels
    // follow as they were built. Each section starts a group, so that the
    // arrow keys stay within it.
    HWND previous = HWND_TOP;
    for (int id : KEYBOARD_ORDER) {
        HWND control = controlById(id);
        if (!control)
            continue;
        ::SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        previous = control;
    }
    for (HWND first : {faders_[0].hwnd(), monButton_.hwnd(), meters_.meter(0).hwnd()}) {
        if (!first)
            continue;
        ::SetWindowLongPtrA(first, GWL_STYLE, ::GetWindowLongPtrA(first, GWL_STYLE) | WS_GROUP);
    }
    for (CFader& fader : faders_) {
        if (fader.hwnd())
            ::SetWindowLongPtrA(fader.hwnd(), GWL_STYLE, ::GetWindowLongPtrA(fader.hwnd(), GWL_STYLE) | WS_TABSTOP);
    }
}

void CControlPage::describeControls()
{
    monButton_.accessible().describeWith([this] { return access::monitor(monButton_.getCheckState()); });
    mixButton_.accessible().describeWith([this] { return access::mix(mixButton_.getCheckState()); });
    for (int output = 0; output < OUTPUTS; ++output) {
        CSkinButton& mute = muteButtons_[output];
        mute.accessible().describeWith([this, output, &mute] {
            return access::withChannelName(access::mute(output, mute.getCheckState()), outputName(output));
        });
        CFader& fader = faders_[output];
        fader.accessible().describeWith([this, output, &fader] {
            return access::withChannelName(access::fader(output, fader.getPos()), outputName(output));
        });
        CSkinText& label = dbLabels_[output];
        label.accessible().describeWith([output, &label] { return access::volumeText(output, label.text()); });
        CPeakMeter& meter = meters_.meter(MeterBank::FIRST_OUTPUT + output);
        meter.accessible().describeWith(
            [this, output, &meter] {
                return access::withChannelName(access::meter(false, output, meter.level(), METER_UPPER),
                                               outputName(output));
            });
    }
    for (int pair = 0; pair < PAIRS; ++pair) {
        CSkinButton& link = linkButtons_[pair];
        link.accessible().describeWith([pair, &link] { return access::link(pair, link.getCheckState()); });
    }
    for (int k = 0; k < SELECTORS; ++k) {
        CRadioButton& selector = spdifOutButtons_[k];
        selector.accessible().describeWith([k, &selector] { return access::spdifSelector(k, selector.checked()); });
    }
    for (int i = 0; i < INPUT_METERS; ++i) {
        CPeakMeter& meter = meters_.meter(i);
        meter.accessible().describeWith([this, i, &meter] {
            return access::withChannelName(access::meter(true, i, meter.level(), METER_UPPER),
                                           names_.name(ChannelKind::Input, i + 1));
        });
    }
}

const std::string& CControlPage::outputName(int output) const
{
    return names_.name(ChannelKind::Output, output + 1);
}

void CControlPage::setChannelNames(const ChannelNames& names)
{
    names_ = names;
}

std::vector<ChannelControl> CControlPage::channelControls() const
{
    std::vector<ChannelControl> controls;
    for (int i = 0; i < INPUT_METERS; ++i)
        controls.push_back({meters_.meter(i).hwnd(), ChannelKind::Input, i + 1});
    for (int output = 0; output < OUTPUTS; ++output) {
        controls.push_back({meters_.meter(MeterBank::FIRST_OUTPUT + output).hwnd(), ChannelKind::Output, output + 1});
        controls.push_back({faders_[output].hwnd(), ChannelKind::Output, output + 1});
        controls.push_back({muteButtons_[output].hwnd(), ChannelKind::Output, output + 1});
    }
    return controls;
}

// ------------------------------------------------------- ControlPageView

CSkinButton* CControlPage::buttonById(int controlId)
{
    return const_cast<CSkinButton*>(static_cast<const CControlPage*>(this)->buttonById(controlId));
}

const CSkinButton* CControlPage::buttonById(int controlId) const
{
    const int member = controlId & MEMBER_MASK;
    if (controlId == ID_MON)
        return &monButton_;
    if (controlId == ID_MIX)
        return &mixButton_;
    if ((controlId & FAMILY_MASK) == ID_MUTE_FIRST && member < OUTPUTS)
        return &muteButtons_[member];
    if ((controlId & FAMILY_MASK) == ID_LINK_FIRST && member < PAIRS)
        return &linkButtons_[member];
    return nullptr;
}

void CControlPage::setButtonCheck(int controlId, int32_t state)
{
    if (CSkinButton* button = buttonById(controlId))
        button->setCheckState(state);
}

int32_t CControlPage::buttonCheck(int controlId) const
{
    const CSkinButton* button = buttonById(controlId);
    return button ? button->getCheckState() : 0;
}

void CControlPage::setFaderPos(int output, int32_t value)
{
    if (output >= 0 && output < OUTPUTS)
        faders_[output].setPos(value);
}

int32_t CControlPage::faderPos(int output) const
{
    return output >= 0 && output < OUTPUTS ? faders_[output].getPos() : 0;
}

void CControlPage::setLabelText(int output, const char* text)
{
    if (output >= 0 && output < OUTPUTS)
        dbLabels_[output].setText(text);
}

void CControlPage::checkSelector(int selected)
{
    for (int k = 0; k < SELECTORS; ++k)
        spdifOutButtons_[k].setChecked(k == selected);
    placeGroupTabStop(spdifOutButtons_, SELECTORS);
}

void CControlPage::setMeterLevel(MeterGroup group, int index, int32_t level)
{
    // Stored only: the tick draws every meter in one pass when it ends.
    if (group == MeterGroup::Input && index >= 0 && index < INPUT_METERS)
        meters_.setLevel(index, level);
    else if (group == MeterGroup::Output && index >= 0 && index < OUTPUT_METERS)
        meters_.setLevel(MeterBank::FIRST_OUTPUT + index, level);
}

// ------------------------------------------------------ SettingsObserver

void CControlPage::onMeters(const MeterBlock& block)
{
    logic_.onMeters(block);
    meters_.endTick();
}

void CControlPage::onSettings(PanelSettings record)
{
    logic_.onSettings(record);
}

// -------------------------------------------------------------- messages

INT_PTR CControlPage::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        buildControls();
        return TRUE;
    case WM_COMMAND:
        // An owner-drawn button reports the second click of a double click
        // as BN_DOUBLECLICKED alone; it is a click like the first.
        if ((HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_DOUBLECLICKED) && lParam)
            return logic_.onCommand(LOWORD(wParam)) ? TRUE : FALSE;
        return FALSE;
    case WM_VSCROLL:
        if (lParam) {
            logic_.onFaderScroll(::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
            return TRUE;
        }
        return FALSE;
    case WM_PAINT:
        paintBackground();
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return controlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return CSkinPage::handleMessage(message, wParam, lParam);
    }
}

INT_PTR CControlPage::controlColour(HDC dc, HWND control)
{
    HBRUSH brush = (::GetDlgCtrlID(control) & FAMILY_MASK) == ID_SELECTOR_FIRST ? selectorBrush_.get() : nullptr;
    if (!brush)
        return FALSE; // the platform's default colours
    ::SetTextColor(dc, colour(SELECTOR_TEXT_COLOUR));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(brush);
}

} // namespace velmora
