#include "Trace.h"

#include "DebugOutput.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace tarvex {
namespace {

constexpr std::size_t kTraceBufferSize = 2048;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr && f != stderr)
            std::fclose(f);
    }
};

// The default sink: the platform's debugger output where there is one, and the target that
// TARVEX_TRACE names, chosen once from the environment.
class EnvironmentSink {
public:
    EnvironmentSink() {
        const char* target = std::getenv("TARVEX_TRACE");
        if (target == nullptr || *target == '\0')
            return;
        if (std::strcmp(target, "stderr") == 0)
            file_.reset(stderr);
        else
            file_.reset(std::fopen(target, "a"));
    }
    bool Enabled() const { return file_ != nullptr || HasDebugOutput(); }
    void Write(std::string_view line) {
        if (HasDebugOutput())
            WriteDebugOutput(line);
        if (!file_)
            return;
        std::fwrite(line.data(), 1, line.size(), file_.get());
        std::fputs("\r\n", file_.get());
        std::fflush(file_.get());
    }

private:
    std::unique_ptr<std::FILE, FileCloser> file_;
};

std::mutex g_sinkMutex;
TraceSink g_sink;
std::atomic<bool> g_haveSink{false};

EnvironmentSink& DefaultSink() {
    static EnvironmentSink sink;
    return sink;
}

} // namespace

bool TraceEnabled() {
    return g_haveSink.load(std::memory_order_acquire) || DefaultSink().Enabled();
}

void Trace(const char* format, ...) {
    if (!TraceEnabled())
        return;
    char buffer[kTraceBufferSize];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0)
        return;
    std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1);

    std::lock_guard lock(g_sinkMutex);
    if (g_sink)
        g_sink(std::string_view(buffer, length));
    else
        DefaultSink().Write(std::string_view(buffer, length));
}

TraceSink SetTraceSink(TraceSink sink) {
    std::lock_guard lock(g_sinkMutex);
    TraceSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    g_haveSink.store(static_cast<bool>(g_sink), std::memory_order_release);
    return previous;
}

} // namespace tarvex
