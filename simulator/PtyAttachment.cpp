#include "PtyAttachment.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace tarvex::sim {
namespace {

void WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        ssize_t n = ::write(fd, bytes, count);
        if (n > 0) {
            bytes += n;
            count -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd pfd{fd, POLLOUT, 0};
            ::poll(&pfd, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

} // namespace

bool PtyAttachment::Supported() {
    return true;
}

PtyAttachment::PtyAttachment(SimLink& link, Clock& clock) : link_(link), clock_(clock) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname(master_) == nullptr ||
        ::pipe(wakePipe_) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slavePath_ = ptsname(master_);
    // A raw line: no echo of the laser's replies back to it, no translation of bytes.
    slaveKeeper_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slaveKeeper_ >= 0 && tcgetattr(slaveKeeper_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slaveKeeper_, TCSANOW, &tio);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
}

PtyAttachment::~PtyAttachment() {
    if (thread_.joinable()) {
        const char stop = 1;
        (void)!::write(wakePipe_[1], &stop, 1);
        thread_.join();
    }
    for (int fd : {master_, slaveKeeper_, wakePipe_[0], wakePipe_[1]})
        if (fd >= 0)
            ::close(fd);
}

void PtyAttachment::Run() {
    std::uint8_t buffer[4096];
    for (;;) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        // Busy before the bytes leave the line, so that WaitIdle never sees neither.
        busy_.store(true);
        ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            busy_.store(false);
            continue;
        }
        // Replies go out in one write, so that the host finds them together, as it would from
        // a controller that answers at line speed.
        // A delay counts from the command's arrival, as in process.
        std::vector<std::uint8_t> burst;
        std::uint32_t waited = 0;
        for (const auto& output : link_.OnStreamBytes(buffer, static_cast<std::size_t>(n))) {
            if (output.delayMs > waited) {
                WriteAll(master_, burst.data(), burst.size());
                burst.clear();
                clock_.SleepMs(output.delayMs - waited);
                waited = output.delayMs;
            }
            burst.insert(burst.end(), output.bytes.begin(), output.bytes.end());
        }
        WriteAll(master_, burst.data(), burst.size());
        busy_.store(false);
    }
}

void PtyAttachment::WaitIdle(int limitMs) {
    if (master_ < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{master_, POLLIN, 0};
        if (::poll(&pfd, 1, 0) == 0 && !busy_.load())
            return;
        std::this_thread::yield();
    }
}

} // namespace tarvex::sim
