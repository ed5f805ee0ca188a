// The UDP socket remote control listens on, read on the GUI thread: Winsock
// posts a message to the main window when a datagram waits (WSAAsyncSelect),
// and the window reads what came. No worker thread, no lock. Winsock and the
// socket are held for as long as the object lives or the socket is open.
#pragma once

#include "app/RemoteControl.h"

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace velmora {

class DiagnosticsLog;

// WSAStartup and WSACleanup, paired.
class WinsockSession {
public:
    WinsockSession() : started_(WSAStartup(MAKEWORD(2, 2), &data_) == 0) {}
    ~WinsockSession() {
        if (started_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool started() const { return started_; }

private:
    WSADATA data_{};
    bool started_;
};

// One socket, closed when the holder goes.
class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(SOCKET socket) : socket_(socket) {}
    ~SocketHandle() { reset(); }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    SOCKET get() const { return socket_; }
    explicit operator bool() const { return socket_ != INVALID_SOCKET; }
    SOCKET release() {
        const SOCKET socket = socket_;
        socket_ = INVALID_SOCKET;
        return socket;
    }
    void reset(SOCKET socket = INVALID_SOCKET) {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = socket;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

class RemoteSocket : public RemoteLink {
public:
    // Posted to the window by Winsock: a datagram waits.
    static constexpr UINT WM_REMOTE_SOCKET = WM_APP + 0x4F;

    explicit RemoteSocket(DiagnosticsLog& log) : log_(log) {}

    // Listens on `port` of 127.0.0.1, or of every address when other hosts
    // are allowed; the window hears of each datagram. Empty when it listens,
    // otherwise why not (the port is in use, say).
    std::string open(HWND window, uint16_t port, bool everyAddress);
    void close();
    bool isOpen() const { return bool(socket_); }

    // WM_REMOTE_SOCKET: every datagram waiting is handed to `remote`.
    void onReadable(RemoteControl& remote);

    // RemoteLink
    void send(const RemotePeer& to, const uint8_t* data, size_t size) override;
    uint64_t nowMs() override { return GetTickCount64(); }
    void log(const std::string& line) override;

private:
    DiagnosticsLog& log_;
    WinsockSession winsock_;
    SocketHandle socket_;
};

} // namespace velmora
