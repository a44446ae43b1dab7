#include "TraceCapture.h"

namespace tarvex::test {

TraceCapture::TraceCapture() {
    previous_ = SetTraceSink([this](std::string_view line) {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    });
}

TraceCapture::~TraceCapture() {
    SetTraceSink(std::move(previous_));
}

std::vector<std::string> TraceCapture::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::size_t TraceCapture::Count(const std::string& text) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& line : lines_)
        if (line.find(text) != std::string::npos)
            ++n;
    return n;
}

void TraceCapture::Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

} // namespace tarvex::test
