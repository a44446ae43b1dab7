#include "Progress.h"

#include "Output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarvexctl {

std::string Duration(std::uint64_t ms) {
    const std::uint64_t s = (ms + 500) / 1000;
    if (s >= 3600)
        return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
    if (s >= 60)
        return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s) + " s";
}

Progress::Progress(const Output& output, tarvex::Clock& clock, std::string label)
    : mode_(output.Quiet()               ? Mode::Off
            : Output::StderrIsTerminal() ? Mode::Bar
                                         : Mode::Lines),
      clock_(clock), label_(std::move(label)), startMs_(clock.NowMs()) {}

Progress::~Progress() {
    Finish();
}

std::string Progress::TimeLeft(double percent) const {
    const std::uint64_t elapsed = clock_.NowMs() - startMs_;
    if (percent <= 0 || elapsed == 0)
        return "";
    if (percent >= 100)
        return "done";
    const auto left =
        static_cast<std::uint64_t>(static_cast<double>(elapsed) * (100 - percent) / percent);
    return Duration(left) + " left";
}

void Progress::Update(double percent, const std::string& detail) {
    percent = std::clamp(percent, 0.0, 100.0);
    const int whole = static_cast<int>(std::floor(percent));
    const std::string left = TimeLeft(percent);
    if (mode_ == Mode::Lines) {
        if (whole / 10 == lastTenth_)
            return;
        lastTenth_ = whole / 10;
        std::string line = label_ + ": " + std::to_string(whole) + "%";
        if (!left.empty())
            line += " (" + left + ")";
        if (!detail.empty())
            line += " " + detail;
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    } else if (mode_ == Mode::Bar) {
        constexpr int kWidth = 30;
        const int filled = whole * kWidth / 100;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(kWidth - filled), '.');
        std::fprintf(stderr, "\r%s [%s] %3d%%  %s  %s\x1b[K", label_.c_str(), bar.c_str(), whole,
                     left.c_str(), detail.c_str());
        std::fflush(stderr);
        drawn_ = true;
    }
}

void Progress::Restart() {
    startMs_ = clock_.NowMs();
    lastTenth_ = -1;
}

void Progress::Finish() {
    if (drawn_) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        drawn_ = false;
    }
    mode_ = Mode::Off;
}

} // namespace tarvexctl
