#include "ui/win32/Dialog.h"

#include "ui/win32/Window.h"

namespace velmora {

Dialog::~Dialog()
{
    if (hwnd_) {
        HWND hwnd = hwnd_;
        detach();
        ::DestroyWindow(hwnd);
    }
}

INT_PTR Dialog::runModal(HWND owner, int templateId)
{
    if (hwnd_)
        return -1;
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                             &Dialog::dialogProc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::createModeless(HWND parent, int templateId)
{
    if (hwnd_)
        return false;
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                                     &Dialog::dialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void Dialog::endDialog(INT_PTR result)
{
    if (hwnd_)
        ::EndDialog(hwnd_, result);
}

void Dialog::destroyWindow()
{
    if (hwnd_)
        ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::handleMessage(UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void Dialog::setMessageResult(LRESULT result)
{
    if (hwnd_)
        ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
}

void Dialog::detach()
{
    if (hwnd_)
        ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    hwnd_ = nullptr;
}

INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self && message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        if (self) {
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self)
        return FALSE;

    if (message == WM_DRAWITEM && Window::reflectDrawItem(lParam)) {
        ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (message != WM_NCDESTROY)
        return self->handleMessage(message, wParam, lParam);

    INT_PTR result = self->handleMessage(message, wParam, lParam);
    self->detach();
    self->onFinalMessage();
    return result;
}

} // namespace velmora
