#pragma once

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace tarvex::bench {

// One exchange as bytes on the wire: what the host sends, what comes back.
struct Step {
    std::size_t in;
    std::size_t out;
};

// A peer on a pseudo-terminal that knows nothing of packets or frames: it answers each step's
// input with the step's count of bytes, going round the script. The raw reference of a channel.
class ScriptedPtyPeer {
public:
    explicit ScriptedPtyPeer(std::vector<Step> script);
    ~ScriptedPtyPeer();
    ScriptedPtyPeer(const ScriptedPtyPeer&) = delete;
    ScriptedPtyPeer& operator=(const ScriptedPtyPeer&) = delete;

    const std::string& Path() const { return path_; }

private:
    void Run();

    std::vector<Step> script_;
    int master_ = -1;
    int keeper_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The in-process raw reference: each step's bytes in and out through a queue, with no packet
// work, as the in-process transport moves them.
void RawQueueRoundTrips(benchmark::State& state, const std::vector<Step>& steps);

// Which time the ratios compare: the wall clock's, or the process's CPU time (for work on
// simulated time, where nothing is waited for: the host's work alone, whatever else the
// machine runs meanwhile).
enum class Timed { Real, Cpu };

// Prints each measurement against its reference, measured in the same run, once all have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Row {
        const char* label;
        const char* measured;  // benchmark name (or its prefix before "/")
        const char* reference; // likewise
    };
    RatioReporter(std::string heading, std::vector<Row> rows, Timed timed = Timed::Real)
        : heading_(std::move(heading)), rows_(std::move(rows)), timed_(timed) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    double Find(const std::string& name) const;

    std::string heading_;
    std::vector<Row> rows_;
    Timed timed_;
    std::map<std::string, double> seconds_;
    std::map<std::string, double> medians_;
};

// Runs the registered benchmarks with a RatioReporter.
int RunWithRatios(int argc, char** argv, std::string heading, std::vector<RatioReporter::Row> rows,
                  Timed timed = Timed::Real);

} // namespace tarvex::bench
