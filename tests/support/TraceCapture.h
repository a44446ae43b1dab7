#pragma once

#include "Trace.h"

#include <mutex>
#include <string>
#include <vector>

namespace tarvex::test {

// Collects the trace lines written while it lives.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> Lines() const;
    // Lines that contain `text`.
    std::size_t Count(const std::string& text) const;
    bool Contains(const std::string& text) const { return Count(text) > 0; }
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    TraceSink previous_;
};

} // namespace tarvex::test
