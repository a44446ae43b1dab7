#include "transport/UdpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mswsock.h>

#include <chrono>
#include <limits>

namespace tarvex {
namespace {

// Windows Sockets 2.0, started once for the process and left running until it ends.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 0), &data) == 0;
    }();
    return started;
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

int Clamp(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

// Whether the socket becomes readable within `timeoutMs` (negative: no limit).
bool WaitReadable(SOCKET socket, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit) > 0;
}

class Win32UdpSocket final : public UdpSocket {
public:
    explicit Win32UdpSocket(SOCKET socket) : socket_(socket) {}
    ~Win32UdpSocket() override { closesocket(socket_); }
    Win32UdpSocket(const Win32UdpSocket&) = delete;
    Win32UdpSocket& operator=(const Win32UdpSocket&) = delete;

    bool SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* bytes,
                std::size_t count) override {
        sockaddr_in to = MakeAddress(address, port);
        const int sent = sendto(socket_, reinterpret_cast<const char*>(bytes), Clamp(count), 0,
                                reinterpret_cast<sockaddr*>(&to), sizeof to);
        return sent == static_cast<int>(count);
    }

    bool Receive(std::uint8_t* bytes, std::size_t capacity, int timeoutMs,
                 Datagram& datagram) override {
        using Clock = std::chrono::steady_clock;
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        for (;;) {
            int wait = -1;
            if (timeoutMs >= 0) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                wait = left.count() < 0 ? 0 : static_cast<int>(left.count());
            }
            // The socket blocks, so the receive waits here, where the time-out applies.
            if (!WaitReadable(socket_, wait))
                return false;
            sockaddr_in from{};
            int fromLength = sizeof from;
            const int n = recvfrom(socket_, reinterpret_cast<char*>(bytes), Clamp(capacity), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
            const int error = n < 0 ? WSAGetLastError() : 0;
            if (n >= 0 || error == WSAEMSGSIZE) {
                // Windows keeps no count of what did not fit: a datagram that was cut short
                // reports one byte more than the room it had.
                datagram.size = n >= 0 ? static_cast<std::size_t>(n) : capacity + 1;
                datagram.fromAddress = ntohl(from.sin_addr.s_addr);
                datagram.fromPort = ntohs(from.sin_port);
                return true;
            }
            // WSAECONNRESET reports an earlier datagram that found no listener, not this one.
            if (error != WSAECONNRESET)
                return false;
        }
    }

    bool SetSendTimeout(std::uint32_t ms) override {
        const DWORD value = ms;
        return setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&value),
                          sizeof value) == 0;
    }

    bool WaitPending(int timeoutMs) const override { return WaitReadable(socket_, timeoutMs); }

    std::uint16_t LocalPort() const override {
        sockaddr_in sa{};
        int length = sizeof sa;
        if (getsockname(socket_, reinterpret_cast<sockaddr*>(&sa), &length) != 0)
            return 0;
        return ntohs(sa.sin_port);
    }

    std::intptr_t Handle() const override { return static_cast<std::intptr_t>(socket_); }

private:
    SOCKET socket_;
};

} // namespace

std::unique_ptr<UdpSocket> OpenUdpSocket(std::uint32_t localAddress, std::uint16_t localPort) {
    if (!StartWinsock())
        return nullptr;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return nullptr;
    // Without it another program could bind the same port on a more specific address and take
    // the laser's datagrams; a failure leaves the default, which still refuses an equal bind.
    BOOL exclusive = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    // A datagram sent to a port with nobody listening would otherwise fail the next receive.
    BOOL reportUnreachable = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, SIO_UDP_CONNRESET, &reportUnreachable, sizeof reportUnreachable, nullptr, 0,
             &returned, nullptr, nullptr);
    sockaddr_in local = MakeAddress(localAddress, localPort);
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        closesocket(s);
        return nullptr;
    }
    return std::make_unique<Win32UdpSocket>(s);
}

bool ParseIpv4(const char* text, std::uint32_t& address) {
    in_addr parsed{};
    if (text == nullptr || !StartWinsock() || inet_pton(AF_INET, text, &parsed) != 1)
        return false;
    address = ntohl(parsed.s_addr);
    return true;
}

bool ResolveIpv4(const char* host, std::uint32_t& address) {
    if (ParseIpv4(host, address))
        return true;
    if (host == nullptr || *host == '\0' || !StartWinsock())
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
}

} // namespace tarvex
