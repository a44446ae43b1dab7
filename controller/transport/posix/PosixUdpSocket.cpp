#include "transport/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvex {
namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

class PosixUdpSocket final : public UdpSocket {
public:
    explicit PosixUdpSocket(int fd) : fd_(fd) {}
    ~PosixUdpSocket() override { ::close(fd_); }

    bool SendTo(std::uint32_t address, std::uint16_t port, const std::uint8_t* bytes,
                std::size_t count) override {
        sockaddr_in to = MakeAddress(address, port);
        ssize_t n;
        do {
            n = ::sendto(fd_, bytes, count, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        } while (n < 0 && errno == EINTR);
        return n == static_cast<ssize_t>(count);
    }

    bool Receive(std::uint8_t* bytes, std::size_t capacity, int timeoutMs,
                 Datagram& datagram) override {
        using Clock = std::chrono::steady_clock;
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        for (;;) {
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            ssize_t n = ::recvfrom(fd_, bytes, capacity, MSG_TRUNC | MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n >= 0) {
                datagram.size = static_cast<std::size_t>(n);
                datagram.fromAddress = ntohl(from.sin_addr.s_addr);
                datagram.fromPort = ntohs(from.sin_port);
                return true;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
            int wait = -1;
            if (timeoutMs >= 0) {
                auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    return false;
                wait = static_cast<int>(left.count());
            }
            pollfd pfd{fd_, POLLIN, 0};
            int ready = ::poll(&pfd, 1, wait);
            if (ready < 0 && errno != EINTR)
                return false;
            if (ready == 0)
                return false;
        }
    }

    bool SetSendTimeout(std::uint32_t ms) override {
        timeval tv{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
        return setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0;
    }

    bool WaitPending(int timeoutMs) const override {
        pollfd pfd{fd_, POLLIN, 0};
        int ready;
        do {
            ready = ::poll(&pfd, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        return ready > 0;
    }

    std::uint16_t LocalPort() const override {
        sockaddr_in sa{};
        socklen_t length = sizeof sa;
        if (getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &length) != 0)
            return 0;
        return ntohs(sa.sin_port);
    }

    std::intptr_t Handle() const override { return fd_; }

private:
    int fd_;
};

} // namespace

std::unique_ptr<UdpSocket> OpenUdpSocket(std::uint32_t localAddress, std::uint16_t localPort) {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    sockaddr_in local = MakeAddress(localAddress, localPort);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixUdpSocket>(fd);
}

bool ParseIpv4(const char* text, std::uint32_t& address) {
    in_addr parsed{};
    if (text == nullptr || inet_pton(AF_INET, text, &parsed) != 1)
        return false;
    address = ntohl(parsed.s_addr);
    return true;
}

bool ResolveIpv4(const char* host, std::uint32_t& address) {
    if (ParseIpv4(host, address))
        return true;
    if (host == nullptr || *host == '\0')
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
