// Reads a window's accessible object as a screen reader does: through
// AccessibleObjectFromWindow and the IAccessible queries of the platform's
// oleacc (also across processes). The calling thread must have COM initialised.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace velmora {
namespace testing {

struct AccessibleReading {
    bool found = false;
    std::string name, value, defaultAction; // empty when the object has none
    long role = 0, state = 0;
};

// The text as UTF-8 (freed).
inline std::string narrow(BSTR text) {
    std::string out;
    const int length = text ? static_cast<int>(SysStringLen(text)) : 0;
    if (length > 0) {
        out.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr)));
        WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    }
    SysFreeString(text);
    return out;
}

// Reads the object's name, value, default action, role and state; with
// `act`, does its default action first.
inline AccessibleReading readAccessible(HWND window, bool act = false) {
    AccessibleReading r;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return r;
    VARIANT self, out;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    r.found = !act || object->accDoDefaultAction(self) == S_OK;
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK) r.name = narrow(text);
    if (object->get_accValue(self, &(text = nullptr)) == S_OK) r.value = narrow(text);
    if (object->get_accDefaultAction(self, &(text = nullptr)) == S_OK) r.defaultAction = narrow(text);
    VariantInit(&out);
    if (object->get_accRole(self, &out) == S_OK && out.vt == VT_I4) r.role = out.lVal;
    if (object->get_accState(self, &out) == S_OK && out.vt == VT_I4) r.state = out.lVal;
    object->Release();
    return r;
}

} // namespace testing
} // namespace velmora
