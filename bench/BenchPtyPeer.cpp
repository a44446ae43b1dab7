// The raw reference of the pseudo-terminal channel (POSIX only).
#include "BenchSupport.h"

#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tarvex::bench {

ScriptedPtyPeer::ScriptedPtyPeer(std::vector<Step> script) : script_(std::move(script)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        return;
    path_ = ptsname(master_);
    keeper_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(keeper_, &tio);
    cfmakeraw(&tio);
    tcsetattr(keeper_, TCSANOW, &tio);
    thread_ = std::thread([this] { Run(); });
}

ScriptedPtyPeer::~ScriptedPtyPeer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (keeper_ >= 0)
        ::close(keeper_);
    if (master_ >= 0)
        ::close(master_);
}

void ScriptedPtyPeer::Run() {
    std::vector<std::uint8_t> in(8192);
    std::vector<std::uint8_t> reply(2048);
    std::size_t have = 0;
    std::size_t step = 0;
    while (!stop_) {
        pollfd pfd{master_, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0)
            continue;
        const ssize_t n = ::read(master_, in.data(), in.size());
        if (n <= 0)
            continue;
        have += static_cast<std::size_t>(n);
        while (have >= script_[step].in) {
            have -= script_[step].in;
            (void)!::write(master_, reply.data(), script_[step].out);
            step = (step + 1) % script_.size();
        }
    }
}

} // namespace tarvex::bench
