#include "app/win32/DialogMessageFilter.h"

namespace velmora {

namespace {
DialogMessageFilter* g_active = nullptr;
} // namespace

DialogMessageFilter::~DialogMessageFilter()
{
    remove();
}

bool DialogMessageFilter::install(Handler handler, void* context)
{
    if (hook_ || g_active)
        return false;
    hook_ = ::SetWindowsHookExA(WH_MSGFILTER, &DialogMessageFilter::filter, nullptr, ::GetCurrentThreadId());
    if (!hook_)
        return false;
    handler_ = handler;
    context_ = context;
    g_active = this;
    return true;
}

void DialogMessageFilter::remove()
{
    if (!hook_)
        return;
    ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (g_active == this)
        g_active = nullptr;
}

LRESULT CALLBACK DialogMessageFilter::filter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_DIALOGBOX && g_active && g_active->handler_ && lParam &&
        g_active->handler_(g_active->context_, *reinterpret_cast<const MSG*>(lParam)))
        return TRUE;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace velmora
