#include "transport/SerialDevice.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tarvex {
namespace {

speed_t SpeedFor(std::uint32_t baud) {
    switch (baud) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
#ifdef B460800
    case 460800:
        return B460800;
#endif
#ifdef B921600
    case 921600:
        return B921600;
#endif
    default:
        return 0;
    }
}

using SteadyClock = std::chrono::steady_clock;

int RemainingMs(SteadyClock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() < 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), INT_MAX));
}

class PosixSerialDevice final : public SerialDevice {
public:
    PosixSerialDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
        haveSaved_ = tcgetattr(fd_, &saved_) == 0;
    }
    ~PosixSerialDevice() override {
        if (haveSaved_)
            tcsetattr(fd_, TCSANOW, &saved_);
        ::close(fd_);
    }

    bool Configure(const SerialLineSettings& s) override {
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0)
            return false;
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
        switch (s.dataBits) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        default:
            tio.c_cflag |= CS8;
            break;
        }
        tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
        if (s.parity == 'E' || s.parity == 'O') {
            tio.c_cflag |= PARENB;
            if (s.parity == 'O')
                tio.c_cflag |= PARODD;
            tio.c_iflag |= INPCK;
        }
        if (s.stopBits == 2)
            tio.c_cflag |= CSTOPB;
        if (s.rtsCtsFlow)
            tio.c_cflag |= CRTSCTS;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        speed_t speed = SpeedFor(s.baud);
        if (speed == 0 || cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)
            return false;
        if (tcsetattr(fd_, TCSANOW, &tio) != 0)
            return false;
        // Modem lines do not exist on a pseudo-terminal; their failure is no error.
        int dtr = TIOCM_DTR, rts = TIOCM_RTS;
        ioctl(fd_, s.dtrOn ? TIOCMBIS : TIOCMBIC, &dtr);
        if (!s.rtsCtsFlow)
            ioctl(fd_, s.rtsOn ? TIOCMBIS : TIOCMBIC, &rts);
        return true;
    }

    std::size_t Read(std::uint8_t* bytes, std::size_t count, SerialReadLimits limits) override {
        std::size_t got = 0;
        const auto start = SteadyClock::now();
        const auto totalDeadline = start + std::chrono::milliseconds(limits.totalMs);
        while (got < count) {
            // Take whatever is already there before waiting.
            ssize_t n = ::read(fd_, bytes + got, count - got);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                break;
            std::uint32_t waitLimit = got == 0 ? limits.firstByteMs : limits.interByteMs;
            int timeout = waitLimit == 0 ? -1 : static_cast<int>(waitLimit);
            if (limits.totalMs != 0) {
                int left = RemainingMs(totalDeadline);
                timeout = timeout < 0 ? left : std::min(timeout, left);
            }
            if (timeout == 0 && (limits.totalMs != 0 || waitLimit != 0))
                break;
            pollfd pfd{fd_, POLLIN, 0};
            int ready = ::poll(&pfd, 1, timeout);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            if ((pfd.revents & POLLIN) == 0)
                break; // hang-up or error with nothing to read
        }
        return got;
    }

    std::size_t Write(const std::uint8_t* bytes, std::size_t count,
                      std::uint32_t timeoutMs) override {
        std::size_t sent = 0;
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
        while (sent < count) {
            ssize_t n = ::write(fd_, bytes + sent, count - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                break;
            int timeout = timeoutMs == 0 ? -1 : RemainingMs(deadline);
            if (timeoutMs != 0 && timeout == 0)
                break;
            pollfd pfd{fd_, POLLOUT, 0};
            int ready = ::poll(&pfd, 1, timeout);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 || (pfd.revents & POLLOUT) == 0)
                break;
        }
        return sent;
    }

    bool Purge() override { return tcflush(fd_, TCIOFLUSH) == 0; }

    std::size_t BytesAvailable() override {
        int n = 0;
        return ioctl(fd_, FIONREAD, &n) == 0 && n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    std::intptr_t Handle() const override { return fd_; }

    bool SetLatencyTimer(std::uint8_t ms) override {
        // USB serial adapters publish their latency timer in sysfs.
        std::filesystem::path name = std::filesystem::path(path_).filename();
        std::ofstream timer("/sys/bus/usb-serial/devices/" + name.string() + "/latency_timer");
        if (!timer)
            return false;
        timer << unsigned{ms};
        return static_cast<bool>(timer.flush());
    }

private:
    int fd_;
    std::string path_;
    termios saved_{};
    bool haveSaved_ = false;
};

} // namespace

bool IsSupportedBaud(std::uint32_t baud) {
    return SpeedFor(baud) != 0;
}

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name) {
    int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixSerialDevice>(fd, name);
}

} // namespace tarvex
