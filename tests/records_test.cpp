// Wire layouts of the command records: every record's field list must add up to the length the
// command table gives its command, and fields at odd offsets must land where the laser expects.
#include "codec/ByteOrder.h"
#include "codec/KTarvexCommand.h"
#include "records/ConfigImages.h"
#include "records/DiagnosticRecords.h"
#include "records/IdentityRecords.h"
#include "records/LaserRecords.h"
#include "records/SavedStateRecords.h"
#include "records/ScanRecords.h"
#include "records/StatusRecords.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace tarvex;

namespace {

template <typename Record> std::size_t PayloadOf(std::uint16_t cmd) {
    return KTarvexCommand::ResponseLength(cmd) - kHeaderSize;
}

template <typename... Records> void ExpectSizesMatchTable() {
    (
        [] {
            EXPECT_EQ(wire::WireSize<Records>(), PayloadOf<Records>(Records::kCmd))
                << "command " << Records::kCmd;
        }(),
        ...);
}

} // namespace

TEST(RecordLayout, EveryRecordFillsItsCommandsPayload) {
    ExpectSizesMatchTable<
        SysInfo, AdminParams, AdminQclParams, FirmwareVersion, InfoLight, QclInfoParam,
        QclInfoParam2, StatusMask, InfoTemps, SystemErrorsList, ScanProgress, LaserParams,
        LaserQclParams, LaserQclVsrc, LaserOnOff, WwDisplayUnits, LaserShutdown, QclOnOff,
        SingleWWParams, SweepModeParams, StepMeasureParams, SweepAdvancedParams, WlTrigParams,
        WlTrigPulseWidth, SavedStateTable, AudioNotificationPref, GlobalPreferences,
        ProvisioningIpAddr, TestQclParams, TestQclInfo, TestGalvoParams, TecMeas, Encoder,
        MotionTestParams, MoveDuration, GalvoLaserEnable, BusVoltages, SysTemps, SysVoltages,
        TestLaserInfo, TecChannel, TecChannelDrive, QclIfTest>();
    EXPECT_EQ(wire::WireSize<SavedStateRecord>(), PayloadOf<SavedStateRecord>(201));
    EXPECT_EQ(wire::WireSize<SavedStateRecord>(), PayloadOf<SavedStateRecord>(204));
    EXPECT_EQ(wire::WireSize<FirmwareVersion>(), PayloadOf<FirmwareVersion>(156));
    EXPECT_EQ(MultiSpectralParams::kSize, PayloadOf<MultiSpectralParams>(56));
    EXPECT_EQ(kEepromPayloadSize, PayloadOf<int>(kEepromCmd));
    EXPECT_EQ(kSysConfigSize, PayloadOf<int>(kSysConfigCmd));
}

// The other records' odd offsets are checked where their commands send or read them.
TEST(RecordLayout, AdminQclFieldsAtOddOffsetsAreBigEndian) {
    AdminQclParams qcl;
    qcl.min_dwell_time = 0x01020304;
    qcl.max_ww = 1850.0f;
    qcl.laserMode = 2;
    std::uint8_t big[128] = {};
    wire::Encode(qcl, big);
    EXPECT_EQ(be::GetU32(big + 93), 0x01020304u);
    EXPECT_EQ(be::GetF32(big + 105), 1850.0f);
    EXPECT_EQ(big[110], 2);
}

TEST(MultiSpectralRecord, OnlyValidElementsAreConverted) {
    MultiSpectralParams record;
    for (std::size_t i = 0; i < 20; ++i)
        record.elements[i] = {1000.0f + static_cast<float>(i),
                              1000u * (static_cast<std::uint32_t>(i) + 1), 7};
    std::uint8_t bytes[MultiSpectralParams::kSize] = {};

    // Element slots beyond num_ww travel as held.
    record.num_ww = 1;
    wire::EncodeMultiSpectral(record, bytes);
    std::uint32_t raw = 0;
    std::memcpy(&raw, bytes + 2 + 12 + 4, 4);
    EXPECT_EQ(raw, 2000u);
    MultiSpectralParams back;
    wire::DecodeMultiSpectral(bytes, back);
    EXPECT_EQ(back.elements[1].dwell_time, 2000u);
    EXPECT_EQ(back.elements[0].scan_ww, 1000.0f);

    // A count above 20 converts 20 and no more.
    record.num_ww = 200;
    wire::EncodeMultiSpectral(record, bytes);
    EXPECT_EQ(be::GetF32(bytes + 2 + 12 * 19), 1019.0f);
}

TEST(ConfigImages, ByteOrderMapsTurnListedFieldsOnly) {
    std::vector<std::uint8_t> payload(kEepromPayloadSize);
    std::iota(payload.begin(), payload.end(), 0);
    auto swapped = payload;
    SwapEepromPayload(swapped.data());
    // The 32-bit field after the slot byte, the first entry of the 128-entry table and the last
    // float are turned; text between them is not.
    EXPECT_EQ(swapped[0], payload[0]);
    EXPECT_EQ(swapped[1], payload[4]);
    EXPECT_EQ(swapped[217], payload[218]);
    EXPECT_EQ(swapped[471], payload[472]);
    EXPECT_EQ(swapped[941], payload[944]);
    EXPECT_EQ(swapped[5], payload[5]);
    EXPECT_EQ(swapped[500], payload[500]);
    // Swapping twice restores the image.
    SwapEepromPayload(swapped.data());
    EXPECT_EQ(swapped, payload);

    std::vector<std::uint8_t> image(kSysConfigSize);
    std::iota(image.begin(), image.end(), 0);
    auto config = image;
    SwapSysConfig(config.data());
    EXPECT_EQ(std::vector<std::uint8_t>(config.begin() + 12, config.begin() + 60),
              std::vector<std::uint8_t>(image.begin() + 12, image.begin() + 60));
    EXPECT_EQ(config[81], image[84]);
    EXPECT_EQ(config[130], image[133]);
    EXPECT_EQ(config[253], image[254]);
    EXPECT_EQ(config[325], image[326]);
    EXPECT_EQ(config[411], image[414]);
    SwapSysConfig(config.data());
    EXPECT_EQ(config, image);
}

TEST(Units, ConvertBetweenMicronsAndWavenumbersKeepingZero) {
    EXPECT_FLOAT_EQ(units::Convert(5.0f), 2000.0f);
    EXPECT_FLOAT_EQ(units::Convert(2000.0f), 5.0f);
    EXPECT_EQ(units::Convert(0.0f), 0.0f);
    EXPECT_STREQ(laser_mode::Name(9), "CW Filter 2");
    EXPECT_STREQ(laser_mode::Name(10), "");
}
