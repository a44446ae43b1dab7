#include "SimProcess.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarvex::soak {
namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr auto kQuitGrace = std::chrono::seconds(3);

// The first line of `fd` within the time-out, without its line end; empty when none came.
std::string ReadLine(int fd) {
    std::string line;
    char c = 0;
    pollfd ready{fd, POLLIN, 0};
    while (::poll(&ready, 1, kStartTimeoutMs) > 0 && ::read(fd, &c, 1) == 1) {
        if (c == '\n')
            return line;
        line += c;
    }
    return {};
}

} // namespace

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& arguments) {
    int toChild[2], fromChild[2];
    if (::pipe(toChild) != 0)
        return;
    if (::pipe(fromChild) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
            ::close(fd);
        ::execv(program.c_str(), argv.data());
        std::perror(program.c_str());
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input_ = toChild[1];
    if (pid_ > 0) {
        const std::string line = ReadLine(fromChild[0]);
        const auto colon = line.find(": ");
        if (colon != std::string::npos)
            endpoint_ = line.substr(colon + 2);
    }
    output_ = fromChild[0];
    if (endpoint_.empty())
        Stop();
}

SimProcess::~SimProcess() {
    Stop();
}

void SimProcess::Send(const std::string& line) {
    if (input_ < 0)
        return;
    const std::string text = line + "\n";
    (void)!::write(input_, text.data(), text.size());
}

void SimProcess::Stop() {
    if (pid_ > 0) {
        Send("quit");
        const auto deadline = std::chrono::steady_clock::now() + kQuitGrace;
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    pid_ = -1;
    for (int* fd : {&input_, &output_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

} // namespace tarvex::soak
