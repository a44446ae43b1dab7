// Host time of the SDK's exports against the controller operations they run, on the simulated
// laser in process and on simulated time, so that only the host's work is timed:
// - one status query (TarvexSDK_IsLaserArmed beside ReadStatusMask);
// - a tune followed until the laser is tuned (TarvexSDK_TuneToWW, then TarvexSDK_IsTuned every
//   50 ms of simulated time), beside the controller's checks, TuneToWW and the tuned test;
// - a 10-point step-and-measure scan followed to its end (TarvexSDK_GetScanStatus every 100 ms),
//   beside the controller's checks, start and reads;
// each of the last two also through the Python package, embedded in this program and calling
// the exports this program carries. Every flavour makes the same number of calls per run, so
// the ratios of the runs are those of the time per call (also shown as "per_call"). On
// simulated time nothing is waited for: the ratios compare CPU time, the host's work, which the
// machine's other load does not inflate as it does the wall clock's.
#include "BenchSupport.h"
#include "Clock.h"
#include "EmbeddedLaser.h"
#include "Library.h"
#include "SimFtdiBackend.h"
#include "TarvexSDK.h"
#include "control/Preconditions.h"

#define PY_SSIZE_T_CLEAN
#include <Python.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

using namespace tarvex;

namespace {

constexpr std::uint32_t kTunePollMs = 50;
constexpr std::uint32_t kScanPollMs = 100;
// Tunes go back and forth between two wavelengths (cm-1), so that each one moves the grating.
constexpr float kTuneTargets[] = {1650.0f, 1700.0f};
// Ten points in microns.
constexpr float kScanStart = 6.0f, kScanStop = 6.9f, kScanStep = 0.1f;

// The SDK connected to the simulated laser through a simulated USB adapter, on simulated time so
// that no reply is waited for; the laser armed.
class ConnectedSdk {
public:
    ConnectedSdk() {
        sim::SimFtdiDevice device;
        device.link = &laser_.link;
        backend_.AddDevice(device);
        previous_ = SetFtdiApi(&backend_);
        sdk::InstallLibrary(&library_);
        connected_ = TarvexSDK_Initialize() == TarvexSdkResult_Success &&
                     TarvexSDK_ArmLaser() == TarvexSdkResult_Success;
        clock_.Advance(2000);
        current_ = this;
    }
    ~ConnectedSdk() {
        current_ = nullptr;
        sdk::InstallLibrary(nullptr);
        library_.Controller().CloseTransport();
        SetFtdiApi(previous_);
    }
    ConnectedSdk(const ConnectedSdk&) = delete;
    ConnectedSdk& operator=(const ConnectedSdk&) = delete;

    bool Connected() const { return connected_; }
    KTarvexController& Controller() { return library_.Controller(); }
    void Advance(std::uint32_t ms) { clock_.Advance(ms); }
    static ConnectedSdk* Current() { return current_; }

private:
    ManualClock clock_;
    sim::EmbeddedLaser laser_{clock_};
    sim::SimFtdiBackend backend_{clock_};
    sdk::Library library_{clock_};
    FtdiApi* previous_ = nullptr;
    bool connected_ = false;
    static inline ConnectedSdk* current_ = nullptr;
};

// Runs `workload(sdk, iteration)` (the number of calls it made, 0 on failure) once per
// iteration on a fresh connection, and reports the time per call.
template <typename Workload> void Run(benchmark::State& state, Workload workload) {
    ConnectedSdk sdk;
    if (!sdk.Connected()) {
        state.SkipWithError("no connection");
        return;
    }
    std::size_t iteration = 0;
    double calls = 0;
    for (auto _ : state) {
        const int made = workload(sdk, iteration++);
        if (made == 0) {
            state.SkipWithError("workload failed");
            break;
        }
        calls += made;
    }
    state.counters["per_call"] =
        benchmark::Counter(calls, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

float TuneTarget(std::size_t iteration) {
    return kTuneTargets[iteration % 2];
}

// --- Status query ----------------------------------------------------------------------------

void SdkStatusQuery(benchmark::State& state) {
    Run(state, [](ConnectedSdk&, std::size_t) {
        std::uint8_t armed = 0;
        return TarvexSDK_IsLaserArmed(&armed) == TarvexSdkResult_Success ? 1 : 0;
    });
}

void ControllerStatusRead(benchmark::State& state) {
    Run(state, [](ConnectedSdk& sdk, std::size_t) {
        const bool ok = sdk.Controller().ReadStatusMask();
        bool armed = sdk.Controller().StatusBit(status::kArmed);
        benchmark::DoNotOptimize(armed);
        return ok ? 1 : 0;
    });
}

// --- Tune followed to tuned ------------------------------------------------------------------

void SdkTuneToTuned(benchmark::State& state) {
    Run(state, [](ConnectedSdk& sdk, std::size_t iteration) {
        if (TarvexSDK_TuneToWW(TuneTarget(iteration), units::kWavenumber, 2) !=
            TarvexSdkResult_Success)
            return 0;
        for (int calls = 2;; ++calls) {
            std::uint8_t tuned = 0;
            TarvexSDK_IsTuned(&tuned);
            if (tuned)
                return calls;
            sdk.Advance(kTunePollMs);
        }
    });
}

void ControllerTuneToTuned(benchmark::State& state) {
    Run(state, [](ConnectedSdk& sdk, std::size_t iteration) {
        KTarvexController& c = sdk.Controller();
        const float target = TuneTarget(iteration);
        if (control::Preconditions(c).ForTune(target, units::kWavenumber, 2) !=
                control::Refusal::None ||
            !c.TuneToWW(target, units::kWavenumber, 0, 2))
            return 0;
        for (int calls = 2;; ++calls) {
            if (control::IsTuned(c))
                return calls;
            sdk.Advance(kTunePollMs);
        }
    });
}

// --- Step-and-measure scan followed to its end -----------------------------------------------

void SdkStepMeasureScan(benchmark::State& state) {
    Run(state, [](ConnectedSdk& sdk, std::size_t) {
        if (TarvexSDK_StartStepMeasureModeScan(kScanStart, kScanStop, kScanStep, units::kMicrons,
                                               1) != TarvexSdkResult_Success)
            return 0;
        for (int calls = 2;; ++calls) {
            std::uint8_t inProgress = 0, active = 0, bit7 = 0, unit = 0, temp = 0, moving = 0;
            std::uint16_t number = 0, percent = 0;
            float ww = 0;
            if (TarvexSDK_GetScanStatus(&inProgress, &active, &bit7, &number, &percent, &ww, &unit,
                                        &temp, &moving) != TarvexSdkResult_Success)
                return 0;
            if (!inProgress)
                return calls;
            sdk.Advance(kScanPollMs);
        }
    });
}

void ControllerStepMeasureScan(benchmark::State& state) {
    Run(state, [](ConnectedSdk& sdk, std::size_t) {
        KTarvexController& c = sdk.Controller();
        if (control::Preconditions(c).ForStepMeasure(kScanStart, kScanStop, units::kMicrons) !=
                control::Refusal::None ||
            !c.StartStepMeasureScan(kScanStart, kScanStop, kScanStep, units::kMicrons, 1, false))
            return 0;
        for (int calls = 2;; ++calls) {
            if (!(c.ReadScanProgress() && c.ReadInfoLight() && c.ReadStatusMask()))
                return 0;
            const ScanStatus s = c.GetScanStatus();
            benchmark::DoNotOptimize(s);
            if (!s.scanInProgress)
                return calls;
            sdk.Advance(kScanPollMs);
        }
    });
}

// --- Through Python --------------------------------------------------------------------------

// The workloads of sdk_bench_workloads.py; null when Python could not load them.
PyObject* g_pythonTune = nullptr;
PyObject* g_pythonScan = nullptr;

// Calls a Python workload; the number of calls it made into the SDK, 0 when it raised.
int CallPython(PyObject* function, PyObject* arguments) {
    PyObject* result = PyObject_CallObject(function, arguments);
    Py_XDECREF(arguments);
    if (!result) {
        PyErr_Print();
        return 0;
    }
    const long calls = PyLong_AsLong(result);
    Py_DECREF(result);
    return calls > 0 ? static_cast<int>(calls) : 0;
}

void PythonTuneToTuned(benchmark::State& state) {
    if (!g_pythonTune) {
        state.SkipWithError("no Python workloads");
        return;
    }
    Run(state, [](ConnectedSdk&, std::size_t iteration) {
        return CallPython(g_pythonTune,
                          Py_BuildValue("(dI)", double{TuneTarget(iteration)}, kTunePollMs));
    });
}

void PythonStepMeasureScan(benchmark::State& state) {
    if (!g_pythonScan) {
        state.SkipWithError("no Python workloads");
        return;
    }
    Run(state, [](ConnectedSdk&, std::size_t) {
        return CallPython(g_pythonScan,
                          Py_BuildValue("(dddI)", double{kScanStart}, double{kScanStop},
                                        double{kScanStep}, kScanPollMs));
    });
}

bool StartPython() {
    Py_Initialize();
    PyObject* path = PySys_GetObject("path"); // borrowed
    for (const char* dir : {TARVEX_PYTHON_DIR, TARVEX_BENCH_DIR}) {
        PyObject* entry = PyUnicode_FromString(dir);
        PyList_Insert(path, 0, entry);
        Py_DECREF(entry);
    }
    PyObject* module = PyImport_ImportModule("sdk_bench_workloads");
    if (!module) {
        PyErr_Print();
        return false;
    }
    g_pythonTune = PyObject_GetAttrString(module, "tune_to_tuned");
    g_pythonScan = PyObject_GetAttrString(module, "step_and_measure");
    Py_DECREF(module);
    return g_pythonTune && g_pythonScan;
}

} // namespace

// Moves the simulated time of the benchmark's laser on: the Python workloads' sleeps.
extern "C" __attribute__((visibility("default"))) void TarvexBench_Advance(std::uint32_t ms) {
    if (ConnectedSdk* sdk = ConnectedSdk::Current())
        sdk->Advance(ms);
}

BENCHMARK(SdkStatusQuery);
BENCHMARK(ControllerStatusRead);
BENCHMARK(SdkTuneToTuned);
BENCHMARK(ControllerTuneToTuned);
BENCHMARK(PythonTuneToTuned);
BENCHMARK(SdkStepMeasureScan);
BENCHMARK(ControllerStepMeasureScan);
BENCHMARK(PythonStepMeasureScan);

int main(int argc, char** argv) {
    if (!StartPython())
        std::fprintf(stderr, "the Python workloads could not be loaded\n");
    // Unless told otherwise: five interleaved repetitions each, compared by their medians, so
    // that what else the machine runs meanwhile weighs on both sides of a ratio alike.
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    const bool told = std::any_of(arguments.begin(), arguments.end(), [](const char* a) {
        return std::string_view(a).starts_with("--benchmark_repetitions");
    });
    if (!told) {
        arguments.push_back(repetitions.data());
        arguments.push_back(interleaving.data());
    }
    int count = static_cast<int>(arguments.size());
    return bench::RunWithRatios(
        count, arguments.data(), "Time per call through the SDK against the controller operation:",
        {{"status query, C interface", "SdkStatusQuery", "ControllerStatusRead"},
         {"tune to tuned, C interface", "SdkTuneToTuned", "ControllerTuneToTuned"},
         {"tune to tuned, Python", "PythonTuneToTuned", "ControllerTuneToTuned"},
         {"step-and-measure, C interface", "SdkStepMeasureScan", "ControllerStepMeasureScan"},
         {"step-and-measure, Python", "PythonStepMeasureScan", "ControllerStepMeasureScan"}},
        bench::Timed::Cpu);
}
