#include "app/win32/RemoteSocket.h"

#include "app/DiagnosticsLog.h"

#include <ws2tcpip.h>

namespace velmora {

namespace {

std::string socketError(int code) {
    switch (code) {
    case WSAEADDRINUSE: return "the port is in use by another program";
    case WSAEACCES: return "the port may not be used";
    case WSAEADDRNOTAVAIL: return "the address is not available";
    default: return "Winsock error " + std::to_string(code);
    }
}

} // namespace

std::string RemoteSocket::open(HWND window, uint16_t port, bool everyAddress) {
    close();
    if (!winsock_.started()) return "Winsock did not start";
    SocketHandle socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket) return socketError(WSAGetLastError());
    // Another program may not take the port from under the panel.
    BOOL exclusive = TRUE;
    setsockopt(socket.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(everyAddress ? INADDR_ANY : INADDR_LOOPBACK);
    if (bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return socketError(WSAGetLastError());
    // Makes the socket non-blocking too: a read never waits.
    if (WSAAsyncSelect(socket.get(), window, WM_REMOTE_SOCKET, FD_READ) != 0) return socketError(WSAGetLastError());
    socket_.reset(socket.release());
    return {};
}

void RemoteSocket::close() { socket_.reset(); }

void RemoteSocket::onReadable(RemoteControl& remote) {
    if (!socket_) return;
    // At most a few dozen per message, so that a flood does not hold the
    // window; Winsock posts again while datagrams wait.
    static uint8_t buffer[65536];
    for (int taken = 0; taken < 64; ++taken) {
        sockaddr_in from{};
        int fromSize = sizeof from;
        const int size = recvfrom(socket_.get(), reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                                  reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (size < 0) {
            // WSAEMSGSIZE: a datagram larger than any packet is dropped;
            // WSAECONNRESET: an earlier send found no listener.
            const int error = WSAGetLastError();
            if (error == WSAEMSGSIZE || error == WSAECONNRESET) continue;
            return; // WSAEWOULDBLOCK: nothing more waits
        }
        if (from.sin_family != AF_INET) continue;
        remote.onPacket(RemotePeer{ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)}, buffer, size_t(size));
        if (!socket_) return; // the packet turned remote control off
    }
}

void RemoteSocket::send(const RemotePeer& to, const uint8_t* data, size_t size) {
    if (!socket_ || size == 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(to.port);
    address.sin_addr.s_addr = htonl(to.host);
    // A datagram that cannot go now is lost, as UDP's are.
    sendto(socket_.get(), reinterpret_cast<const char*>(data), int(size), 0, reinterpret_cast<const sockaddr*>(&address),
           sizeof address);
}

void RemoteSocket::log(const std::string& line) { log_.write(line); }

} // namespace velmora
