#pragma once

#include "Clock.h"

#include <cstdint>
#include <string>

namespace tarvexctl {

class Output;

// The progress of long work on standard error: a bar redrawn in place with the percentage and
// the time left on a terminal, a plain line at every tenth of the work otherwise (so that a log
// stays readable), nothing with --quiet. The time left is extrapolated on `clock` from the time
// taken so far.
class Progress {
public:
    Progress(const Output& output, tarvex::Clock& clock, std::string label);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `percent` of the work is done (clamped to 0 to 100); `detail` follows it on the line.
    void Update(double percent, const std::string& detail = {});
    // Ends the bar's line (and stops drawing).
    void Finish();
    // Counts the time anew, for a stage whose pace differs from the one before.
    void Restart();

private:
    enum class Mode { Bar, Lines, Off };
    std::string TimeLeft(double percent) const;

    Mode mode_;
    tarvex::Clock& clock_;
    std::string label_;
    std::uint64_t startMs_;
    int lastTenth_ = -1;
    bool drawn_ = false;
};

// "1 h 2 min", "3 min 5 s", "12 s".
std::string Duration(std::uint64_t ms);

} // namespace tarvexctl
