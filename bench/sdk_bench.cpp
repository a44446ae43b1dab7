// Cost of one status query through the SDK's C interface (TarvexSDK_IsLaserArmed: its frame,
// the library lock, the status read and the bit), beside the same controller operation called
// directly on the same link. The ratio is the C interface's overhead.
#include "BenchSupport.h"
#include "Clock.h"
#include "EmbeddedLaser.h"
#include "Library.h"
#include "SimFtdiBackend.h"
#include "TarvexSDK.h"

#include <benchmark/benchmark.h>

using namespace tarvex;

namespace {

// The SDK connected to the simulated laser through a simulated USB adapter, on simulated time so
// that no reply is waited for.
class ConnectedSdk {
public:
    ConnectedSdk() {
        sim::SimFtdiDevice device;
        device.link = &laser_.link;
        backend_.AddDevice(device);
        previous_ = SetFtdiApi(&backend_);
        sdk::InstallLibrary(&library_);
        connected_ = TarvexSDK_Initialize() == TarvexSdkResult_Success;
    }
    ~ConnectedSdk() {
        sdk::InstallLibrary(nullptr);
        library_.Controller().CloseTransport();
        SetFtdiApi(previous_);
    }
    ConnectedSdk(const ConnectedSdk&) = delete;
    ConnectedSdk& operator=(const ConnectedSdk&) = delete;

    bool Connected() const { return connected_; }
    KTarvexController& Controller() { return library_.Controller(); }

private:
    ManualClock clock_;
    sim::EmbeddedLaser laser_{clock_};
    sim::SimFtdiBackend backend_{clock_};
    sdk::Library library_{clock_};
    FtdiApi* previous_ = nullptr;
    bool connected_ = false;
};

void SdkStatusQuery(benchmark::State& state) {
    ConnectedSdk sdk;
    if (!sdk.Connected()) {
        state.SkipWithError("no connection");
        return;
    }
    std::uint8_t armed = 0;
    for (auto _ : state) {
        if (TarvexSDK_IsLaserArmed(&armed) != TarvexSdkResult_Success)
            state.SkipWithError("query failed");
        benchmark::DoNotOptimize(armed);
    }
}

void ControllerStatusRead(benchmark::State& state) {
    ConnectedSdk sdk;
    if (!sdk.Connected()) {
        state.SkipWithError("no connection");
        return;
    }
    KTarvexController& controller = sdk.Controller();
    for (auto _ : state) {
        if (!controller.ReadStatusMask())
            state.SkipWithError("read failed");
        bool armed = controller.StatusBit(status::kArmed);
        benchmark::DoNotOptimize(armed);
    }
}

} // namespace

BENCHMARK(SdkStatusQuery);
BENCHMARK(ControllerStatusRead);

int main(int argc, char** argv) {
    return bench::RunWithRatios(argc, argv,
                                "Status query through the C interface against the controller:",
                                {{"in process", "SdkStatusQuery", "ControllerStatusRead"}});
}
