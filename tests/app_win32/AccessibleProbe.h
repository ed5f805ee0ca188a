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

inline std::string narrow(BSTR text) {
    std::string out;
    for (UINT i = 0; text && i < SysStringLen(text); ++i) out += static_cast<char>(text[i] < 0x80 ? text[i] : '?');
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
