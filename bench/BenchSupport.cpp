#include "BenchSupport.h"

#include <cstdint>
#include <cstdio>
#include <deque>

namespace tarvex::bench {

void RawQueueRoundTrips(benchmark::State& state, const std::vector<Step>& steps) {
    std::deque<std::vector<std::uint8_t>> queue;
    std::vector<std::uint8_t> bytes(2048);
    for (auto _ : state)
        for (const Step& step : steps) {
            queue.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(step.in));
            std::vector<std::uint8_t> in = std::move(queue.front());
            queue.pop_front();
            queue.emplace_back(bytes.begin(),
                               bytes.begin() + static_cast<std::ptrdiff_t>(step.out));
            std::vector<std::uint8_t> out = std::move(queue.front());
            queue.pop_front();
            benchmark::DoNotOptimize(in.data());
            benchmark::DoNotOptimize(out.data());
        }
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
        if (run.error_occurred)
            continue;
        const double seconds =
            (timed_ == Timed::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime()) /
            benchmark::GetTimeUnitMultiplier(run.time_unit);
        // With repetitions, their median stands for the benchmark.
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            medians_[run.run_name.str()] = seconds;
        else if (run.run_type == Run::RT_Iteration)
            seconds_[run.benchmark_name()] = seconds;
    }
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\n%s\n", heading_.c_str());
    for (const Row& row : rows_) {
        const double measured = Find(row.measured);
        const double reference = Find(row.reference);
        if (measured > 0 && reference > 0)
            std::printf("  %-36s %12.2f us vs %12.2f us raw  ratio %.2f%s\n", row.label,
                        measured * 1e6, reference * 1e6, measured / reference,
                        timed_ == Timed::Cpu ? "  (CPU time)" : "");
    }
}

double RatioReporter::Find(const std::string& name) const {
    for (const auto& [run, time] : medians_)
        if (run == name || run.rfind(name + "/", 0) == 0)
            return time;
    for (const auto& [run, time] : seconds_)
        if (run == name || run.rfind(name + "/", 0) == 0)
            return time;
    return 0;
}

int RunWithRatios(int argc, char** argv, std::string heading, std::vector<RatioReporter::Row> rows,
                  Timed timed) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(heading), std::move(rows), timed);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace tarvex::bench
