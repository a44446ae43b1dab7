// The SDK's exports called from several threads at once: each call stays one sequence of
// exchanges, and connecting and disconnecting may run beside the queries and commands.
#include "support/SdkRig.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace tarvex;

namespace {

using SdkThreads = test::SdkTest;

constexpr int kRounds = 400;

// Calls `call(n, round)` for `rounds` rounds on each of four threads at once, n from 1 to 4;
// returns how many of the calls went wrong.
template <typename Call> int FailuresOnFourThreads(int rounds, Call call) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (std::uint8_t n = 1; n <= 4; ++n)
        threads.emplace_back([&, n] {
            for (int round = 0; round < rounds; ++round)
                if (!call(n, round))
                    ++failures;
        });
    for (auto& thread : threads)
        thread.join();
    return failures;
}

} // namespace

// Asking for a trigger channel writes the channel into the controller's request before the
// read: a call of another thread in between would answer for the wrong channel.
TEST_F(SdkThreads, EachCallSeesItsOwnExchanges) {
    Connect();
    laser.Modify([](sim::SimState& s) {
        for (std::uint8_t i = 0; i < 4; ++i)
            s.scan.wlTrig[i] = {.qclChan = i, .unit = 1, .start_ww = i + 1.0f, .stop_ww = 9};
    });
    const auto answersForItsChannel = [](std::uint8_t channel, int) {
        std::uint8_t unit = 0;
        float start = 0, stop = 0, spacing = 0;
        std::uint16_t points = 0;
        return TarvexSDK_GetWlTrigChanParams(channel, &unit, &start, &stop, &spacing, &points) ==
                   TarvexSdkResult_Success &&
               start == static_cast<float>(channel);
    };
    EXPECT_EQ(FailuresOnFourThreads(kRounds, answersForItsChannel), 0);
}

// Setting one QCL's drive writes every QCL's: a write that carried another thread's QCL as it
// stood before that thread's own write would undo it.
TEST_F(SdkThreads, QclDrivesSetFromSeveralThreadsStayAsEachSetIt) {
    Connect();
    const auto keepsItsRate = [](std::uint8_t qcl, int round) {
        const auto rate = static_cast<float>(1000 * qcl + round);
        float now = 0;
        return TarvexSDK_SetQCLParams(qcl, rate, 100, 100) == TarvexSdkResult_Success &&
               TarvexSDK_GetQCLPulseRate(qcl, &now) == TarvexSdkResult_Success && now == rate;
    };
    EXPECT_EQ(FailuresOnFourThreads(kRounds / 4, keepsItsRate), 0);
}

TEST_F(SdkThreads, QueriesRunBesideReconnections) {
    Connect();
    std::atomic<bool> done{false};
    std::atomic<int> unexpected{0};
    std::thread connections([&] {
        for (int round = 0; round < kRounds / 5; ++round) {
            if (TarvexSDK_DeInitialize() != TarvexSdkResult_Success ||
                TarvexSDK_Initialize() != TarvexSdkResult_Success)
                ++unexpected;
        }
        done = true;
    });
    std::vector<std::thread> queries;
    for (int t = 0; t < 3; ++t) {
        queries.emplace_back([&] {
            while (!done) {
                std::uint8_t byte = 0;
                std::uint16_t word = 0;
                float ww = 0, min = 0, max = 0;
                std::uint8_t serial[24];
                // Without a connection for the moment, a query fails with CommError.
                for (const auto result : {TarvexSDK_GetScanStatus(&byte, &byte, &byte, &word, &word,
                                                                  &ww, &byte, &byte, &byte),
                                          TarvexSDK_GetSerialNumber(serial, sizeof serial),
                                          TarvexSDK_GetTuningRange(&min, &max, &byte),
                                          TarvexSDK_IsConnectedToLaser(&byte)}) {
                    if (result != TarvexSdkResult_Success && result != TarvexSdkResult_CommError)
                        ++unexpected;
                }
            }
        });
    }
    connections.join();
    for (auto& thread : queries)
        thread.join();
    EXPECT_EQ(unexpected.load(), 0);
    std::uint8_t connected = 0;
    EXPECT_EQ(TarvexSDK_IsConnectedToLaser(&connected), TarvexSdkResult_Success);
    EXPECT_EQ(connected, 1);
}
