// The SDK's queries through its C interface against the simulated laser: fresh reads, unit
// conversions, the text-buffer rule, QCL checks, favorites and the refusal of null outputs.
#include "support/SdkRig.h"

#include <gmock/gmock.h>

#include <array>
#include <cstring>

using namespace tarvex;
using testing::ElementsAre;
using testing::FloatNear;

namespace {

using SdkQuery = test::SdkTest;
using test::Read;

// The default laser, changed by `change`.
template <typename Change> sim::LaserProfile Profile(Change change) {
    auto profile = sim::LaserProfile::Default();
    change(profile);
    return profile;
}

using Buffer = std::array<std::uint8_t, 32>;
Buffer Filled() {
    Buffer buffer;
    buffer.fill(0xEE);
    return buffer;
}

} // namespace

TEST_F(SdkQuery, StatusBitsComeFromAFreshReadAndAFailedReadLeavesTheOutput) {
    Connect();
    laser.SetKeySwitch(false);
    laser.InjectError(0x2A);
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_IsKeySwitchStatusSet), 0);
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_IsSystemError), 1);
    EXPECT_EQ(Read<std::uint16_t>(TarvexSDK_GetSystemErrorWord), 0x2A);

    SilenceLink(1);
    std::uint8_t armed = 7;
    EXPECT_EQ(TarvexSDK_IsLaserArmed(&armed), TarvexSdkResult_CommError);
    EXPECT_EQ(armed, 7);
}

class SdkLongSerial : public test::SdkTest {
protected:
    SdkLongSerial()
        : SdkTest(Profile([](auto& p) { p.serialNumber = "ABCDEFGHIJKLMNOPQRSTUVWX"; })) {}
};

TEST_F(SdkLongSerial, TextFillsTheBufferOrLeavesItUntouched) {
    Connect();
    Buffer exact = Filled();
    EXPECT_EQ(TarvexSDK_GetSerialNumber(exact.data(), 24), TarvexSdkResult_Success);
    EXPECT_EQ(std::memcmp(exact.data(), "ABCDEFGHIJKLMNOPQRSTUVWX", 24), 0);
    EXPECT_EQ(exact[24], 0xEE); // no terminator of its own

    Buffer tooShort = Filled();
    EXPECT_EQ(TarvexSDK_GetSerialNumber(tooShort.data(), 23), TarvexSdkResult_BufferTooSmall);
    EXPECT_EQ(tooShort, Filled());

    Buffer roomy = Filled();
    EXPECT_EQ(TarvexSDK_GetModelNumber(roomy.data(), 12), TarvexSdkResult_Success);
    EXPECT_STREQ(reinterpret_cast<const char*>(roomy.data()), "TVX-4100");
    EXPECT_EQ(roomy[11], 0);
    EXPECT_EQ(roomy[12], 0xEE);
}

TEST_F(SdkQuery, FavoritesAreCountedAndIndexedOverTheSlotsInUse) {
    Connect();
    StoreFavorites({{0, "Default"}, {2, "TenLetters"}, {5, "Last"}});
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_GetNumFavorites), 3);

    Buffer name = Filled();
    EXPECT_EQ(TarvexSDK_GetFavoriteName(1, name.data(), 10), TarvexSdkResult_BufferTooSmall);
    EXPECT_EQ(name, Filled());
    EXPECT_EQ(TarvexSDK_GetFavoriteName(1, name.data(), 11), TarvexSdkResult_Success);
    EXPECT_STREQ(reinterpret_cast<const char*>(name.data()), "TenLetters");
    EXPECT_EQ(TarvexSDK_GetFavoriteName(2, name.data(), 11), TarvexSdkResult_Success);
    EXPECT_STREQ(reinterpret_cast<const char*>(name.data()), "Last");
    EXPECT_EQ(TarvexSDK_GetFavoriteName(3, name.data(), 11), TarvexSdkResult_IndexOutOfRange);

    // None stored is a good answer.
    StoreFavorites({});
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_GetNumFavorites), 0);
    EXPECT_EQ(TarvexSDK_GetFavoriteName(0, name.data(), 16), TarvexSdkResult_IndexOutOfRange);
    SilenceLink(1);
    std::uint8_t n = 0;
    EXPECT_EQ(TarvexSDK_GetNumFavorites(&n), TarvexSdkResult_CommError);
}

TEST_F(SdkQuery, PulseRateAndWidthAreReadFreshInHzAndNs) {
    Connect();
    // Changed behind the connection's first read: only a fresh read sees it.
    laser.Modify([](sim::SimState& s) {
        s.qcl[1].params.pulse_rate = 5;
        s.qcl[1].params.pulse_rate_unit = units::kKHz;
        s.qcl[1].params.pulse_width = 0.5f;
        s.qcl[1].params.pulse_width_unit = units::kUs;
        s.qcl[2].params.pulse_rate = 1.5f;
        s.qcl[2].params.pulse_rate_unit = units::kMHz;
        s.qcl[2].params.pulse_width = 0.002f;
        s.qcl[2].params.pulse_width_unit = units::kMs;
    });
    EXPECT_FLOAT_EQ(Read<float>(TarvexSDK_GetQCLPulseRate, 2), 5000);
    EXPECT_FLOAT_EQ(Read<float>(TarvexSDK_GetQCLPulseWidth, 2), 500);
    EXPECT_FLOAT_EQ(Read<float>(TarvexSDK_GetQCLPulseRate, 3), 1500000);
    EXPECT_FLOAT_EQ(Read<float>(TarvexSDK_GetQCLPulseWidth, 3), 2000);
}

TEST_F(SdkQuery, ConvertWWNeedsNoLaserAndTuningRangeCombinesModulesOfEitherUnit) {
    EXPECT_FLOAT_EQ(Read<float>(TarvexSDK_ConvertWW, 10.0f, 1, 2), 1000.0f);
    EXPECT_EQ(Read<float>(TarvexSDK_ConvertWW, 0.0f, 2, 1), 0.0f);
    EXPECT_EQ(Read<float>(TarvexSDK_ConvertWW, 6.5f, 2, 2), 6.5f);

    Connect();
    // Microns and wavenumber modules, 4.2 to 10.53 um: reported in the last module's cm-1.
    float min = 0, max = 0;
    std::uint8_t unit = 0;
    EXPECT_EQ(TarvexSDK_GetTuningRange(&min, &max, &unit), TarvexSdkResult_Success);
    EXPECT_EQ(unit, units::kWavenumber);
    EXPECT_THAT(min, FloatNear(950.0f, 0.01f));
    EXPECT_THAT(max, FloatNear(10000.0f / 4.2f, 0.01f));

    EXPECT_EQ(TarvexSDK_GetQclTuningRange(2, &min, &max, &unit), TarvexSdkResult_Success);
    EXPECT_EQ(min, 1650.0f);
    EXPECT_EQ(max, 2000.0f);
    min = max = 3;
    unit = 3;
    EXPECT_EQ(TarvexSDK_GetQclTuningRange(0, &min, &max, &unit), TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(min, 0.0f);
    EXPECT_EQ(max, 0.0f);
    EXPECT_EQ(unit, units::kMicrons);
}

class SdkTwoQcls : public test::SdkTest {
protected:
    SdkTwoQcls() : SdkTest(test::TwoMicronModules({5.5f, 7.0f}, {6.8f, 9.5f})) {}
};

TEST_F(SdkTwoQcls, TuningRangeOfModulesInOneUnit) {
    Connect();
    float min = 0, max = 0;
    std::uint8_t unit = 0;
    EXPECT_EQ(TarvexSDK_GetTuningRange(&min, &max, &unit), TarvexSdkResult_Success);
    EXPECT_EQ(min, 5.5f);
    EXPECT_EQ(max, 9.5f);
    EXPECT_EQ(unit, units::kMicrons);
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_GetNumInstalledQcls), 2);
    std::uint16_t mA = 9;
    EXPECT_EQ(TarvexSDK_GetQCLMaxPulsedCurrent(3, &mA), TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(mA, 0);
}

TEST_F(SdkQuery, ABadQclOrANullOutputIsRefusedBeforeAnythingIsSent) {
    Connect();
    const std::size_t written = Written();
    std::uint8_t byte = 0;
    std::uint16_t word = 0;
    std::uint32_t duration = 7, encoder = 7;
    float value = 0, voltage = 1, current = 1, resistance = 1;
    EXPECT_EQ(TarvexSDK_GetMoveDuration(0, &duration), TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(TarvexSDK_GetEncoderCount(5, &encoder), TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(TarvexSDK_GetAllTecParams(0, &voltage, &current, &resistance),
              TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(duration, 7u);
    EXPECT_EQ(voltage + current + resistance, 0.0f);
    EXPECT_EQ(TarvexSDK_IsLaserArmed(nullptr), TarvexSdkResult_NullPointer);
    EXPECT_EQ(TarvexSDK_GetSerialNumber(nullptr, 8), TarvexSdkResult_NullPointer);
    EXPECT_EQ(TarvexSDK_GetFavoriteName(0, nullptr, 8), TarvexSdkResult_NullPointer);
    EXPECT_EQ(TarvexSDK_GetQCLPulseRate(1, nullptr), TarvexSdkResult_NullPointer);
    EXPECT_EQ(TarvexSDK_ConvertWW(10, 1, 2, nullptr), TarvexSdkResult_NullPointer);
    EXPECT_EQ(
        TarvexSDK_GetScanStatus(&byte, &byte, &byte, &word, &word, &value, nullptr, &byte, &byte),
        TarvexSdkResult_NullPointer);
    EXPECT_EQ(TarvexSDK_GetWlTrigChanParams(1, &byte, &value, &value, nullptr, &word),
              TarvexSdkResult_NullPointer);
    EXPECT_EQ(Written(), written);

    // The QCL's temperature range reads first, then refuses.
    float setPoint = 3;
    EXPECT_EQ(TarvexSDK_GetQCLTemperatureRange(0, &setPoint, &setPoint, &setPoint),
              TarvexSdkResult_InvalidQclNumber);
    EXPECT_EQ(setPoint, 3.0f);
    EXPECT_GT(Written(), written);
    EXPECT_EQ(TarvexSDK_GetMoveDuration(4, &duration), TarvexSdkResult_Success);
}

TEST_F(SdkQuery, TriggerPointsCoverTheChannelsRange) {
    Connect();
    laser.Modify([](sim::SimState& s) {
        s.scan.wlTrig[1] = {.qclChan = 1, .unit = 1, .start_ww = 10, .stop_ww = 6, .spacing = 0.5f};
        s.scan.wlTrig[2] = {.qclChan = 2, .unit = 2, .start_ww = 900, .stop_ww = 1000};
    });
    std::uint8_t unit = 0;
    float start = 0, stop = 0, spacing = 0;
    std::uint16_t points = 0;
    EXPECT_EQ(TarvexSDK_GetWlTrigChanParams(2, &unit, &start, &stop, &spacing, &points),
              TarvexSdkResult_Success);
    EXPECT_EQ(points, 9);
    EXPECT_EQ(start, 10.0f);
    EXPECT_EQ(TarvexSDK_GetWlTrigChanParams(3, &unit, &start, &stop, &spacing, &points),
              TarvexSdkResult_Success);
    EXPECT_EQ(unit, 2);
    EXPECT_EQ(points, 0);
    // The channel travels 0-based.
    std::vector<std::uint8_t> channels;
    for (const auto& [id, payload] : laser.History())
        if (id == WlTrigParams::kCmd)
            channels.push_back(payload.at(0));
    EXPECT_THAT(channels, ElementsAre(1, 2));

    SilenceLink(1);
    EXPECT_EQ(TarvexSDK_GetWlTrigChanParams(2, &unit, &start, &stop, &spacing, &points),
              TarvexSdkResult_CommError);
    EXPECT_EQ(unit + start + stop + spacing + points, 0.0f);
}

TEST_F(SdkQuery, TriggerSettingsAreHandedOutEvenWhenTheReadFails) {
    Connect();
    laser.Modify([](sim::SimState& s) {
        s.laserParams.pulse_mode = pulse_mode::kWavelengthTrigger;
        s.laserParams.dwell_time = 250;
    });
    std::uint8_t pulseMode = 0, triggerMode = 0, unit = 0;
    float start = 0, stop = 0, interval = 0;
    std::uint32_t dwell = 0, off = 0;
    EXPECT_EQ(TarvexSDK_GetWlTrigParams(&pulseMode, &triggerMode, &start, &stop, &interval, &unit,
                                        &dwell, &off),
              TarvexSdkResult_Success);
    pulseMode = 0;
    dwell = 0;
    SilenceLink(1);
    EXPECT_EQ(TarvexSDK_GetWlTrigParams(&pulseMode, &triggerMode, &start, &stop, &interval, &unit,
                                        &dwell, &off),
              TarvexSdkResult_CommError);
    EXPECT_EQ(pulseMode, pulse_mode::kWavelengthTrigger);
    EXPECT_EQ(dwell, 250u);
}

TEST_F(SdkQuery, IsTunedDecidesFromTheCacheWhenTheLinkFails) {
    Connect();
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_IsTuned), 1); // at rest in single-tune mode
    SilenceLink();
    EXPECT_EQ(Read<std::uint8_t>(TarvexSDK_IsTuned), 1);

    std::uint8_t byte = 9;
    std::uint16_t word = 9;
    float ww = 9;
    EXPECT_EQ(TarvexSDK_GetScanStatus(&byte, &byte, &byte, &word, &word, &ww, &byte, &byte, &byte),
              TarvexSdkResult_CommError);
    EXPECT_EQ(byte + word + ww, 27.0f);
}

TEST_F(SdkQuery, AMultiSpectralElementBeyondTheListIsOutOfRange) {
    Connect();
    laser.Modify([](sim::SimState& s) {
        s.scan.multiSpectral.num_ww = 1;
        s.scan.multiSpectral.elements[0] = {7.5f, 100, 20};
    });
    float ww = 0;
    std::uint32_t dwell = 0, off = 0;
    EXPECT_EQ(TarvexSDK_GetMultiSpectralElement(0, &ww, &dwell, &off), TarvexSdkResult_Success);
    EXPECT_EQ(ww, 7.5f);
    EXPECT_EQ(off, 20u);
    EXPECT_EQ(TarvexSDK_GetMultiSpectralElement(1, &ww, &dwell, &off),
              TarvexSdkResult_IndexOutOfRange);
}

// The motion board reports its own version from controller firmware 1.7.15 on; before it, the
// motion firmware comes from the admin parameters (high and low byte) with patch 0.
class SdkFirmware : public test::SdkTest, public testing::WithParamInterface<FirmwareVersion> {
protected:
    SdkFirmware() : SdkTest(Profile([](auto& p) { p.controllerFirmware = GetParam(); })) {}
};

TEST_P(SdkFirmware, MotionBoardVersionDependsOnTheControllerFirmware) {
    Connect();
    std::array<std::uint8_t, 10> v{};
    v.fill(0xEE);
    EXPECT_EQ(TarvexSDK_GetHwFwVersions(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7],
                                        &v[8], &v[9]),
              TarvexSdkResult_Success);
    const bool readsMotionBoard = GetParam().patch >= 15;
    // Controller 1.7.x and PCB 3; motion module 2, hardware 1.2; motion firmware 0x0130 in the
    // admin parameters, 1.3.0 on the motion board.
    if (readsMotionBoard)
        EXPECT_THAT(v, ElementsAre(1, 7, 15, 1, 3, 0, 3, 2, 1, 2));
    else
        EXPECT_THAT(v, ElementsAre(1, 7, 14, 1, 0x30, 0, 3, 2, 1, 2));
    EXPECT_EQ(laser.Executed(FirmwareVersion::kMotionBoardCmd) > 0, readsMotionBoard);
}

INSTANTIATE_TEST_SUITE_P(AroundTheFirstWithMotionBoardVersion, SdkFirmware,
                         testing::Values(FirmwareVersion{1, 7, 14, 3, 0},
                                         FirmwareVersion{1, 7, 15, 3, 0}));
