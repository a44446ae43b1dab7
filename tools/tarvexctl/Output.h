#pragma once

#include "Json.h"

#include <string>

namespace tarvexctl {

// Where a command's words go: its result on standard output (one JSON document with --json,
// text otherwise), everything else (notes, progress, the failure line) on standard error.
class Output {
public:
    Output(bool json, bool quiet) : json_(json), quiet_(quiet) {}

    bool JsonMode() const { return json_; }
    bool Quiet() const { return quiet_; }

    // The result: `document` with --json, else `text` (a line end is added when it has none).
    void Result(const Json& document, const std::string& text) const;
    // One compact JSON document on a line of its own, or text, for results that repeat.
    void Frame(const Json& document, const std::string& text) const;
    // A note on standard error, unless --quiet.
    void Note(const std::string& text) const;

    // Whether a result went to standard output in this run.
    static bool ResultWritten();
    static bool StdoutIsTerminal();
    static bool StderrIsTerminal();

private:
    bool json_;
    bool quiet_;
};

} // namespace tarvexctl
