#include "SoakReport.h"

#include <algorithm>

namespace tarvex::soak {

void OperationStats::Add(bool ok, double ms, std::size_t lost, bool wrongValue) {
    ++attempted;
    ++(ok ? succeeded : failed);
    linkLost += lost;
    wrong += wrongValue ? 1 : 0;
    totalMs += ms;
    worstMs = std::max(worstMs, ms);
}

void Print(const SoakReport& r, std::FILE* out) {
    std::fprintf(out, "\n%s, %.0f s\n", r.link.c_str(), r.seconds);
    std::fprintf(out, "%-26s %9s %9s %7s %8s %9s %9s %6s\n", "operation", "attempted", "succeeded",
                 "failed", "mean ms", "worst ms", "link lost", "wrong");
    OperationStats total{"all"};
    for (const auto& op : r.operations) {
        std::fprintf(out, "%-26s %9zu %9zu %7zu %8.1f %9.1f %9zu %6zu\n", op.name.c_str(),
                     op.attempted, op.succeeded, op.failed,
                     op.attempted ? op.totalMs / static_cast<double>(op.attempted) : 0.0,
                     op.worstMs, op.linkLost, op.wrong);
        total.attempted += op.attempted;
        total.succeeded += op.succeeded;
        total.failed += op.failed;
        total.linkLost += op.linkLost;
        total.wrong += op.wrong;
        total.totalMs += op.totalMs;
        total.worstMs = std::max(total.worstMs, op.worstMs);
    }
    std::fprintf(out, "%-26s %9zu %9zu %7zu %8.1f %9.1f %9zu %6zu\n", "all", total.attempted,
                 total.succeeded, total.failed,
                 total.attempted ? total.totalMs / static_cast<double>(total.attempted) : 0.0,
                 total.worstMs, total.linkLost, total.wrong);
    std::fprintf(out, "silence bursts: %zu sent, %zu raised link lost, %zu recovered after\n",
                 r.bursts, r.burstsLostLink, r.burstsRecovered);
    std::fprintf(out, "resident memory: soak %zu -> %zu KiB, tarvex-sim %zu -> %zu KiB\n",
                 r.hostStartKiB, r.hostEndKiB, r.simStartKiB, r.simEndKiB);
}

} // namespace tarvex::soak
