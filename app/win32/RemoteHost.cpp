#include "app/win32/RemoteHost.h"

#include "app/DiagnosticsLog.h"
#include "app/MenuCommands.h"
#include "app/PanelCore.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/FormDialog.h"
#include "app/win32/RemoteSocket.h"
#include "app/win32/WideText.h"
#include "res/resource.h"

namespace velmora {

RemoteHost::RemoteHost(PanelCore& core, PreferenceStore* preferences, DiagnosticsLog& log)
    : core_(core), preferences_(preferences), log_(log), socket_(std::make_unique<RemoteSocket>(log)),
      control_(core, preferences, *socket_) {}

RemoteHost::~RemoteHost() = default;

void RemoteHost::close() { socket_->close(); }

void RemoteHost::attach(HWND window, std::function<void(const ChannelNames&)> namesShown) {
    window_ = window;
    control_.onNamesSet(std::move(namesShown));
    RemoteSettings stored;
    std::string problem;
    if (preferences_ && !loadRemoteSettings(*preferences_, stored, problem))
        log_.write("the stored remote control choices were ignored: " + problem);
    if (!stored.on) return;
    control_.setSettings(stored);
    const std::string why = socket_->open(window_, stored.port, stored.othersAllowed());
    log_.write(why.empty() ? "remote control listens on UDP port " + std::to_string(stored.port)
                           : "remote control could not listen on UDP port " + std::to_string(stored.port) + ": " + why);
}

bool RemoteHost::handleMessage(UINT message) {
    if (message != RemoteSocket::WM_REMOTE_SOCKET) return false;
    socket_->onReadable(control_);
    return true;
}

RequestAnswer RemoteHost::change(const PanelRequest& request) {
    RemoteSettings settings = control_.settings();
    if (preferences_) {
        std::string problem;
        RemoteSettings stored;
        if (loadRemoteSettings(*preferences_, stored, problem)) settings = stored;
    }
    if (request.output) settings.on = request.on;
    if (request.value) settings.port = uint16_t(request.value);
    return apply(settings);
}

RequestAnswer RemoteHost::apply(const RemoteSettings& settings) {
    if (!preferences_ || !saveRemoteSettings(*preferences_, settings))
        return RequestAnswer{EXIT_FAILED, "The remote control's choices could not be stored."};
    control_.setSettings(settings);
    const std::string port = std::to_string(settings.port);
    if (!settings.on) {
        socket_->close();
        log_.write("remote control is off");
        return RequestAnswer{EXIT_DONE, "Remote control is off (UDP port " + port + ")."};
    }
    const std::string why = socket_->open(window_, settings.port, settings.othersAllowed());
    if (!why.empty()) {
        log_.write("remote control could not listen on UDP port " + port + ": " + why);
        return RequestAnswer{EXIT_FAILED, "Remote control is on, but UDP port " + port + " could not be opened: " + why + "."};
    }
    const std::string hosts = settings.othersAllowed() ? "127.0.0.1 and " + hostRangesText(settings.allowed) : "127.0.0.1 only";
    log_.write("remote control listens on UDP port " + port + " for " + hosts);
    return RequestAnswer{EXIT_DONE, "Remote control is on: UDP port " + port + ", " + hosts + "."};
}

bool RemoteHost::onCommand(unsigned id) {
    if (id != CMD_REMOTE_CONTROL) return false;
    if (core_.boxOpen() || !preferences_) return true;
    edited_ = control_.settings();
    std::string problem;
    loadRemoteSettings(*preferences_, edited_, problem);
    INT_PTR chosen = IDCANCEL;
    {
        PanelCore::BoxScope dialog(core_);
        chosen = runFormDialog(
            window_, IDD_REMOTE, [this](HWND form) { fillDialog(form); },
            [this](HWND form) { return takeDialog(form); });
    }
    if (chosen != IDOK) return true;
    const RequestAnswer answer = apply(edited_);
    if (answer.code != EXIT_DONE) {
        PanelCore::BoxScope box(core_);
        messageBox(window_, answer.text, CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
    }
    return true;
}

bool RemoteHost::takeDialog(HWND dialog) {
    RemoteSettings taken;
    taken.on = IsDlgButtonChecked(dialog, IDC_REMOTE_ON) == BST_CHECKED;
    BOOL read = FALSE;
    const UINT port = GetDlgItemInt(dialog, IDC_REMOTE_PORT, &read, FALSE);
    std::string problem;
    if (!read || port < 1 || port > 65535) problem = "The port must be a number from 1 to 65535.";
    else if (!parseHostRanges(dialogFieldText(dialog, IDC_REMOTE_HOSTS), taken.allowed, problem)) problem = "Other hosts: " + problem;
    if (!problem.empty()) {
        messageBox(dialog, problem, CPanelApp::applicationName(), MB_OK | MB_ICONSTOP);
        const int field = read && port >= 1 && port <= 65535 ? IDC_REMOTE_HOSTS : IDC_REMOTE_PORT;
        SetFocus(GetDlgItem(dialog, field));
        SendDlgItemMessageW(dialog, field, EM_SETSEL, 0, -1);
        return false;
    }
    taken.port = uint16_t(port);
    edited_ = taken;
    return true;
}

void RemoteHost::fillDialog(HWND dialog) const {
    const RemoteSettings& s = edited_;
    CheckDlgButton(dialog, IDC_REMOTE_ON, s.on ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dialog, IDC_REMOTE_PORT, EM_LIMITTEXT, 5, 0);
    SetDlgItemInt(dialog, IDC_REMOTE_PORT, s.port, FALSE);
    SendDlgItemMessageW(dialog, IDC_REMOTE_HOSTS, EM_LIMITTEXT, 1000, 0);
    SetDlgItemTextW(dialog, IDC_REMOTE_HOSTS, widen(hostRangesText(s.allowed)).c_str());
}

} // namespace velmora
