// Answers a window's accessibility queries (WM_GETOBJECT for its client
// object) with the description its owner gives (ui/AccessibleText.h): name,
// value, role, checked state and default action. Everything else (place,
// parent, navigation, focus) comes from the platform's standard object for
// the window. The window's name itself is left alone.
#pragma once

#include "ui/AccessibleText.h"

#include <windows.h>

#include <functional>

namespace velmora {

class AccessibleClient {
public:
    using Describe = std::function<AccessibleInfo()>;

    AccessibleClient() = default;
    ~AccessibleClient();
    AccessibleClient(const AccessibleClient&) = delete;
    AccessibleClient& operator=(const AccessibleClient&) = delete;

    // Until this is called the window answers with the standard object alone.
    void describeWith(Describe describe) { describe_ = std::move(describe); }
    bool described() const { return static_cast<bool>(describe_); }
    AccessibleInfo describe() const { return describe_ ? describe_() : AccessibleInfo{}; }

    // From the window's WM_GETOBJECT: true, with the answer in `result`, when
    // the query is for the client object and a description is set.
    bool answer(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The window is going: objects handed out answer that they are gone.
    void disconnect();

    // For a window procedure, before its own cases: answers WM_GETOBJECT
    // (true, with `result`) and disconnects at WM_NCDESTROY (false: the
    // window goes on with its default handling).
    bool handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Tells listening readers that the window's value or state changed.
    static void valueChanged(HWND hwnd);
    static void stateChanged(HWND hwnd);

private:
    class Object;
    friend class Object;

    Describe describe_;
    Object* object_ = nullptr; // one reference held while connected
};

} // namespace velmora
