#include "Output.h"

#include <cstdio>

#include <unistd.h>

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

bool Output::StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool Output::StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace tarvexctl
