#include "ui/win32/AccessibleClient.h"

#include <oleacc.h>

#include <string>

namespace velmora {

namespace {

const IID& kIidAccessible = __uuidof(IAccessible);

// oleacc.dll and oleaut32.dll (for BSTR and VARIANT) are loaded when a
// reader first asks for an object: a panel that no screen reader reads never
// maps them. No object exists before they are loaded.
struct OleAccess {
    decltype(&::CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&::LresultFromObject) lresultFromObject = nullptr;
    decltype(&::SysAllocStringLen) allocString = nullptr;
    decltype(&::VariantClear) clearVariant = nullptr;

    bool loaded() const { return createStandard && lresultFromObject && allocString && clearVariant; }
};

template <typename Function>
void resolve(HMODULE module, const char* name, Function& out)
{
    if (FARPROC proc = module ? ::GetProcAddress(module, name) : nullptr)
        out = reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

const OleAccess& oleAccess()
{
    static const OleAccess access = [] {
        OleAccess a;
        HMODULE oleacc = ::LoadLibraryA("oleacc.dll");
        HMODULE oleaut = ::LoadLibraryA("oleaut32.dll");
        resolve(oleacc, "CreateStdAccessibleObject", a.createStandard);
        resolve(oleacc, "LresultFromObject", a.lresultFromObject);
        resolve(oleaut, "SysAllocStringLen", a.allocString);
        resolve(oleaut, "VariantClear", a.clearVariant);
        return a;
    }();
    return access;
}

void initVariant(VARIANT* v)
{
    v->vt = VT_EMPTY;
}

BSTR toBstr(const std::string& text)
{
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    BSTR out = oleAccess().allocString(nullptr, static_cast<UINT>(length));
    if (out && length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out, length);
    return out;
}

long roleOf(AccessibleRole role)
{
    switch (role) {
    case AccessibleRole::Pane: return ROLE_SYSTEM_PROPERTYPAGE;
    case AccessibleRole::PageTab: return ROLE_SYSTEM_PAGETAB;
    case AccessibleRole::Slider: return ROLE_SYSTEM_SLIDER;
    case AccessibleRole::CheckButton: return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case AccessibleRole::Meter: return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::Text: break;
    }
    return ROLE_SYSTEM_STATICTEXT;
}

bool isSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

} // namespace

// The object handed to readers: the standard object of the window with the
// owner's description over it. It may outlive the window (a reader holds it);
// once disconnected every call answers that the object is gone.
class AccessibleClient::Object final : public IAccessible {
public:
    Object(AccessibleClient* owner, HWND hwnd, IAccessible* standard)
        : owner_(owner), hwnd_(hwnd), standard_(standard) {}

    void disconnect()
    {
        owner_ = nullptr;
        if (standard_) {
            standard_->Release();
            standard_ = nullptr;
        }
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) {
            disconnect();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: the standard object's
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        return standard_ ? standard_->GetTypeInfoCount(count) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
    {
        return standard_ ? standard_->GetTypeInfo(index, lcid, info) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override
    {
        return standard_ ? standard_->GetIDsOfNames(iid, names, count, lcid, ids) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override
    {
        return standard_ ? standard_->Invoke(id, iid, lcid, flags, params, result, exception, argError)
                         : CO_E_OBJNOTCONNECTED;
    }

    // IAccessible: what the description says about the window itself
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        if (!owner_)
            return CO_E_OBJNOTCONNECTED;
        if (!isSelf(child))
            return standard_->get_accName(child, name);
        *name = toBstr(owner_->describe().name);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        if (!owner_)
            return CO_E_OBJNOTCONNECTED;
        if (!isSelf(child))
            return standard_->get_accValue(child, value);
        const AccessibleInfo info = owner_->describe();
        if (info.value.empty())
            return DISP_E_MEMBERNOTFOUND;
        *value = toBstr(info.value);
        return *value ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (!role)
            return E_POINTER;
        initVariant(role);
        if (!owner_)
            return CO_E_OBJNOTCONNECTED;
        if (!isSelf(child))
            return standard_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = roleOf(owner_->describe().role);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        if (!state)
            return E_POINTER;
        initVariant(state);
        if (!owner_)
            return CO_E_OBJNOTCONNECTED;
        const HRESULT hr = standard_->get_accState(child, state);
        if (FAILED(hr) || !isSelf(child))
            return hr;
        if (state->vt != VT_I4) {
            oleAccess().clearVariant(state);
            state->vt = VT_I4;
            state->lVal = 0;
        }
        const AccessibleInfo info = owner_->describe();
        if (info.role == AccessibleRole::PageTab) {
            state->lVal |= STATE_SYSTEM_SELECTABLE;
            if (info.checked)
                state->lVal |= STATE_SYSTEM_SELECTED;
        } else if (info.checked) {
            state->lVal |= STATE_SYSTEM_CHECKED;
        }
        if (info.role == AccessibleRole::Text || info.role == AccessibleRole::Meter)
            state->lVal |= STATE_SYSTEM_READONLY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        if (!action)
            return E_POINTER;
        *action = nullptr;
        if (!owner_)
            return CO_E_OBJNOTCONNECTED;
        if (!isSelf(child))
            return standard_->get_accDefaultAction(child, action);
        const AccessibleInfo info = owner_->describe();
        if (info.defaultAction.empty())
            return DISP_E_MEMBERNOTFOUND;
        *action = toBstr(info.defaultAction);
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        if (!owner_)
            return CO_E_OBJNOTCONNECTED;
        if (!isSelf(child))
            return standard_->accDoDefaultAction(child);
        if (owner_->describe().defaultAction.empty())
            return DISP_E_MEMBERNOTFOUND;
        // Every control with a default action is a button: the action is a
        // click, posted so that it runs after the reader's call has returned.
        return ::PostMessageA(hwnd_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }

    // IAccessible: the standard object's
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return standard_ ? standard_->get_accParent(parent) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        return standard_ ? standard_->get_accChildCount(count) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        return standard_ ? standard_->get_accChild(child, out) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return standard_ ? standard_->get_accDescription(child, text) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override
    {
        return standard_ ? standard_->get_accHelp(child, text) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard_ ? standard_->get_accHelpTopic(file, child, topic) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override
    {
        return standard_ ? standard_->get_accKeyboardShortcut(child, text) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override
    {
        return standard_ ? standard_->get_accFocus(child) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return standard_ ? standard_->get_accSelection(children) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return standard_ ? standard_->accSelect(flags, child) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override
    {
        return standard_ ? standard_->accLocation(x, y, width, height, child) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return standard_ ? standard_->accNavigate(direction, start, end) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        return standard_ ? standard_->accHitTest(x, y, child) : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Object() = default;

    LONG refs_ = 1;
    AccessibleClient* owner_;
    HWND hwnd_;
    IAccessible* standard_;
};

AccessibleClient::~AccessibleClient()
{
    disconnect();
}

bool AccessibleClient::answer(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !describe_ || !hwnd)
        return false;
    const OleAccess& access = oleAccess();
    if (!access.loaded())
        return false;
    if (!object_) {
        IAccessible* standard = nullptr;
        if (FAILED(access.createStandard(hwnd, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&standard))) ||
            !standard)
            return false;
        object_ = new Object(this, hwnd, standard);
    }
    result = access.lresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(object_));
    return result >= 0;
}

bool AccessibleClient::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_GETOBJECT)
        return answer(hwnd, wParam, lParam, result);
    if (message == WM_NCDESTROY)
        disconnect();
    return false;
}

void AccessibleClient::disconnect()
{
    if (!object_)
        return;
    Object* object = object_;
    object_ = nullptr;
    object->disconnect();
    ::CoDisconnectObject(static_cast<IAccessible*>(object), 0);
    object->Release();
}

void AccessibleClient::valueChanged(HWND hwnd)
{
    if (hwnd)
        ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleClient::stateChanged(HWND hwnd)
{
    if (hwnd)
        ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

} // namespace velmora
