#pragma once

#include "records/ScanRecords.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tarvex::sim {

// One piece of a scan's path.
struct ScanSegment {
    enum class Kind {
        Goto,  // position the grating on `to` (µm), settling the TEC first when the QCL changes
        Sweep, // move continuously from `from` to `to` (in `unit`) at `speed` unit/s
        Dwell, // stay for `durationMs`
        Gate,  // wait for a process trigger
        Hold,  // stay tuned until stopped (a single tune)
    };
    Kind kind = Kind::Goto;
    float from = 0.0f;
    float to = 0.0f;
    std::uint8_t unit = 1;
    float speed = 0.0f;
    std::uint32_t durationMs = 0;
    std::uint8_t qcl = 0;      // the preferred QCL slot, 0 for none
    bool forceQcl = false;     // the QCL is prescribed (advanced sweep channels)
    bool countsToward = false; // weighs in the scan's percent
};

// A started scan: `body` runs `numScans` times (0: until stopped).
struct ScanPlan {
    std::vector<ScanSegment> body;
    std::uint16_t numScans = 1;
};

// Tuning and scans as the firmware keeps them.
struct ScanSimState {
    // The records as the host last wrote them.
    std::uint8_t scanMode = scan_mode::kSingleTune;
    SingleWWParams singleWW;
    SweepModeParams sweep;
    StepMeasureParams stepMeasure;
    MultiSpectralParams multiSpectral;
    SweepAdvancedParams sweepAdvanced;
    std::array<WlTrigParams, 4> wlTrig{}; // per QCL channel, 0-based
    WlTrigPulseWidth wlTrigPulseWidth;

    // The run in progress.
    bool running = false; // status bit 5
    bool paused = false;
    ScanPlan plan;
    std::size_t segment = 0;
    std::uint64_t segmentElapsedMs = 0;
    std::uint16_t scanNumber = 0; // 1-based while a scan (not a tune) runs
    std::uint16_t percent = 0;
    // The current Goto: TEC settle still to wait, then the move from `moveFrom` over
    // `moveDurationMs`.
    std::uint32_t settleRemainingMs = 0;
    float moveFrom = 0.0f;
    std::uint32_t moveDurationMs = 0;

    // Each QCL has a grating of its own, left where its last move ended (µm), and the duration
    // of that move.
    std::array<float, 4> gratingMicrons{};
    std::array<std::uint32_t, 4> lastMoveMs{};
};

} // namespace tarvex::sim
