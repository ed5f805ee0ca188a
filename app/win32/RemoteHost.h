// Remote control in the main window: the choices kept beside the record,
// the socket opened and closed as they say, the OSC logic the socket hands
// its datagrams to, Config > "Remote Control..." and the remote request.
#pragma once

#include "app/RemoteControl.h"
#include "app/RequestWire.h"
#include "app/PanelRequests.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace velmora {

class DiagnosticsLog;
class PanelCore;
class RemoteSocket;

class RemoteHost {
public:
    RemoteHost(PanelCore& core, PreferenceStore* preferences, DiagnosticsLog& log);
    ~RemoteHost();

    // The remote logic, a listener of the core's events.
    RemoteControl& control() { return control_; }

    // Opens the socket if the stored choices say on; `namesShown` shows
    // names set remotely on the pages.
    void attach(HWND window, std::function<void(const ChannelNames&)> namesShown);
    void close();

    // The socket's message; false for any other.
    bool handleMessage(UINT message);
    // Config > "Remote Control..."; false for any other command.
    bool onCommand(unsigned id);
    // --remote on|off, --remote-port N.
    RequestAnswer change(const PanelRequest& request);

private:
    // Stores `settings` and opens or closes the socket; the answer says
    // what holds now.
    RequestAnswer apply(const RemoteSettings& settings);
    void fillDialog(HWND dialog) const;
    bool takeDialog(HWND dialog);

    PanelCore& core_;
    PreferenceStore* preferences_;
    DiagnosticsLog& log_;
    std::unique_ptr<RemoteSocket> socket_; // (Winsock stays out of the window's headers)
    RemoteControl control_;
    HWND window_ = nullptr;
    RemoteSettings edited_; // the dialog's choices while it is open
};

} // namespace velmora
