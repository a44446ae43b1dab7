#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvex::soak {

// What one kind of operation met over a soak.
struct OperationStats {
    std::string name;
    std::size_t attempted = 0;
    std::size_t succeeded = 0;
    std::size_t failed = 0;
    std::size_t linkLost = 0; // link-lost notifications during its runs
    std::size_t wrong = 0;    // values accepted that the laser does not hold
    double totalMs = 0;
    double worstMs = 0;

    void Add(bool ok, double ms, std::size_t lost, bool wrongValue);
};

// A soak over one link.
struct SoakReport {
    std::string link;
    double seconds = 0;
    std::vector<OperationStats> operations;
    std::size_t bursts = 0;          // silence bursts sent
    std::size_t burstsLostLink = 0;  // of them, those that raised link lost
    std::size_t burstsRecovered = 0; // of them, those after which an operation succeeded again
    std::size_t hostStartKiB = 0, hostEndKiB = 0;
    std::size_t simStartKiB = 0, simEndKiB = 0;
};

void Print(const SoakReport& report, std::FILE* out);

} // namespace tarvex::soak
