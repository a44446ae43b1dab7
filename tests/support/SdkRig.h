#pragma once

#include "Environment.h"
#include "Library.h"
#include "SimFtdiBackend.h"
#include "SimRig.h"
#include "TarvexSDK.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

namespace tarvex::test {

// The SDK's exports on simulated time: a fresh set of library globals, simulated USB adapters
// in place of the machine's, and the simulated laser behind the adapter AddLaserAdapter adds.
class SdkTest : public testing::Test, protected SimLaserRig {
protected:
    explicit SdkTest(sim::LaserProfile profile = sim::LaserProfile::Default(),
                     bool createObject = true)
        : SimLaserRig(std::move(profile)),
          library(std::make_unique<sdk::Library>(clock, createObject)) {
        previous_ = SetFtdiApi(&backend);
        sdk::InstallLibrary(library.get());
        UnsetEnvironment("TARVEX_SDK_DEVICE");
    }
    ~SdkTest() override {
        sdk::InstallLibrary(nullptr);
        library.reset(); // closes what it holds open through the backend
        SetFtdiApi(previous_);
        UnsetEnvironment("TARVEX_SDK_DEVICE");
    }

    // An adapter of the laser's kind with the simulated laser behind it (or none that answers).
    std::size_t AddLaserAdapter(bool answers = true, std::uint32_t onlyAtBaud = 0) {
        sim::SimFtdiDevice device;
        device.link = answers ? &link : nullptr;
        device.onlyAtBaud = onlyAtBaud;
        return backend.AddDevice(device);
    }
    // An adapter with the laser behind it, connected.
    void Connect() {
        AddLaserAdapter();
        ASSERT_EQ(TarvexSDK_Initialize(), TarvexSdkResult_Success);
        laser.ClearHistory();
    }
    // Bytes the host has written to the adapter at `index`.
    std::size_t Written(std::size_t index = 0) const { return backend.State(index).written.size(); }
    // The command ids the laser executed since the last ClearHistory, in order.
    std::vector<std::uint16_t> Executed() const {
        std::vector<std::uint16_t> ids;
        for (const auto& [id, payload] : laser.History())
            ids.push_back(id);
        return ids;
    }
    // The laser's saved states: the named slots in use, the others free.
    void StoreFavorites(const std::map<std::size_t, std::string>& names) {
        laser.Modify([&](sim::SimState& s) {
            for (std::size_t slot = 0; slot < s.saved.slots.size(); ++slot) {
                s.saved.slots[slot].inUse = names.contains(slot);
                s.saved.slots[slot].name = names.contains(slot) ? names.at(slot) : "";
            }
        });
    }
    // The next `count` exchanges of every command go unanswered.
    void SilenceLink(int count = -1) { InjectNext(sim::Fault::Silent, count); }

    sim::SimFtdiBackend backend{clock};
    std::unique_ptr<sdk::Library> library;

private:
    FtdiApi* previous_ = nullptr;
};

// What a query of one output hands out, the query expected to succeed: Read<std::uint8_t>(
// TarvexSDK_IsTuned), Read<float>(TarvexSDK_GetQCLPulseRate, 2).
template <typename T, typename... Params, typename... In>
T Read(std::uint32_t (*query)(Params...), In... in) {
    using Inputs = std::tuple<Params...>;
    T out{};
    // Each input as the query declares it: a QCL number written 2 is an int, the query takes a
    // byte.
    const auto call = [&]<std::size_t... I>(std::index_sequence<I...>) {
        return query(static_cast<std::tuple_element_t<I, Inputs>>(in)..., &out);
    };
    EXPECT_EQ(call(std::index_sequence_for<In...>{}), TarvexSdkResult_Success);
    return out;
}

} // namespace tarvex::test
