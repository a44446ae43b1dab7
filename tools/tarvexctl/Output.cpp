#include "Output.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarvexctl {
namespace {

bool g_resultWritten = false;

void Write(std::FILE* file, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), file);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', file);
    std::fflush(file);
}

} // namespace

void Output::Result(const Json& document, const std::string& text) const {
    Write(stdout, json_ ? document.Dump(true) : text);
    g_resultWritten = true;
}

void Output::Frame(const Json& document, const std::string& text) const {
    Write(stdout, json_ ? document.Dump(false) : text);
    g_resultWritten = true;
}

bool Output::ResultWritten() {
    return g_resultWritten;
}

void Output::Note(const std::string& text) const {
    if (!quiet_)
        Write(stderr, text);
}

namespace {

bool IsTerminal(std::FILE* file) {
#if defined(_WIN32)
    return ::_isatty(::_fileno(file)) != 0;
#else
    return ::isatty(::fileno(file)) == 1;
#endif
}

} // namespace

bool Output::StdoutIsTerminal() {
    return IsTerminal(stdout);
}

bool Output::StderrIsTerminal() {
    return IsTerminal(stderr);
}

} // namespace tarvexctl
