// A firmware update through the controller into the simulated laser's boot loader: the image
// must arrive whole and bit-reversed, in frames or blocks of the right size, every lost or
// spoiled reply must be recovered from as far as the retries go, and a bad file must never get
// as far as the laser.
#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "files/FirmwareUpdater.h"
#include "support/SimRig.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"
#include "support/UfpText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace tarvex;
using namespace tarvex::test;
using Outcome = FirmwareUpdateOutcome;
using Stage = FirmwareUpdateProgress::Stage;
using Writes = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

namespace {

struct UpdateRig : SimRig {
    UpdateRig() {
        controller->UpdateCache([](LaserCache& c) { c.firmware = FirmwareVersion{1, 5, 0, 1, 0}; });
    }
    std::filesystem::path WriteUfp(const std::string& name, const std::string& text) {
        WriteBytes(dir / name, Bytes(text));
        return dir / name;
    }
    FirmwareUpdateResult Update(const std::string& name, const std::vector<std::uint8_t>& image) {
        FirmwareUpdater updater(*controller, [this](const FirmwareUpdateProgress& p) {
            progress.push_back(p);
            if (p.stage == Stage::Writing)
                pausedDuringWrites = pausedDuringWrites && controller->HeartbeatPaused();
        });
        return updater.UpdateFromFile(WriteUfp(name, UfpText(image)));
    }
    sim::FirmwareUpdateSimState Boot() {
        return laser.Inspect([](const sim::SimState& s) { return s.config.firmwareUpdate; });
    }
    void Faults(void (*set)(sim::FirmwareUpdateFaults&)) {
        laser.Modify([&](sim::SimState& s) { set(s.config.firmwareUpdate.faults); });
    }
    // The raw frames the host wrote after the start command.
    std::vector<std::vector<std::uint8_t>> Frames() {
        const auto& sent = transport->Sent();
        return {sent.begin() + 1, sent.end()};
    }

    TempDir dir;
    std::vector<FirmwareUpdateProgress> progress;
    bool pausedDuringWrites = true;
};

} // namespace

TEST(FirmwareUpdate, ControllerImageArrivesBitReversedInFullFramesAndAnEndFrame) {
    UpdateRig rig;
    const auto image = ImageBytes(404); // 25 records and a short one of 4 bytes
    const auto result = rig.Update("new_Tarvex_PROM_prod_1.9.ufp", image);
    ASSERT_TRUE(result.Succeeded()) << result.message;
    EXPECT_EQ(result.records, 26u);

    const auto boot = rig.Boot();
    EXPECT_EQ(boot.image, BitReversed(image));
    EXPECT_EQ(boot.writes, (Writes{{0, 160}, {160, 160}, {320, 84}}));
    EXPECT_EQ(boot.endAddress, 404u);
    EXPECT_FALSE(boot.rawMode);
    const auto history = rig.laser.History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].first, kExecFirmwareUpdateCmd);
    EXPECT_EQ(history[0].second[0], 2);

    const auto frames = rig.Frames();
    ASSERT_EQ(frames.size(), 4u);
    const auto& data = frames[0];
    ASSERT_EQ(data.size(), 167u);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(be::GetU32(&data[1]), 0u);
    EXPECT_EQ(data[5], 160);
    EXPECT_TRUE(std::equal(data.begin() + 6, data.begin() + 166, BitReversed(image).begin()));
    // The frame's check byte leaves the last data byte out.
    EXPECT_EQ(data[166], Crc8(data.data(), 165));
    EXPECT_EQ(frames[2].size(), 91u);
    const auto& end = frames[3];
    ASSERT_EQ(end.size(), 7u);
    EXPECT_EQ(be::GetU32(&end[1]), 404u);
    EXPECT_EQ(end[5], 0);
    EXPECT_EQ(end[6], Crc8(end.data(), 5));

    EXPECT_TRUE(rig.pausedDuringWrites);
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
    ASSERT_FALSE(rig.progress.empty());
    EXPECT_EQ(rig.progress.front().stage, Stage::Erasing);
    EXPECT_EQ(rig.progress.back().stage, Stage::Writing);
    EXPECT_EQ(rig.progress.back().value, 26u);
    EXPECT_EQ(rig.progress.back().maximum, 26u);
}

TEST(FirmwareUpdate, MotionBoardImageGoesInBlocksOfSixtyFour) {
    UpdateRig rig;
    const auto image = ImageBytes(80); // 5 records
    const auto result = rig.Update("tarvex2_motion_prod.ufp", image);
    ASSERT_TRUE(result.Succeeded()) << result.message;
    const auto boot = rig.Boot();
    EXPECT_EQ(boot.motionImage, BitReversed(image));
    EXPECT_EQ(boot.writes, (Writes{{0, 64}, {64, 16}}));
    EXPECT_FALSE(rig.controller->HeartbeatPaused());

    const auto history = rig.laser.History();
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].second[0], 4);
    EXPECT_EQ(history[2].first, kWriteMbFwDataCmd);
    EXPECT_EQ(be::GetU32(history[2].second.data()), 64u);
    EXPECT_EQ(be::GetU32(history[2].second.data() + 4), 16u);
}

TEST(FirmwareUpdate, BadFilesOrAMotionBoardUpdateBeforeController150NeverReachTheLaser) {
    UpdateRig rig;
    FirmwareUpdater updater(*rig.controller);
    std::string text = UfpText(ImageBytes(320));
    text[4 * 34 + 7] = 'Q'; // record 5
    auto result = updater.UpdateFromFile(rig.WriteUfp("Tarvex_PROM_prod.ufp", text));
    EXPECT_EQ(result.outcome, Outcome::InvalidFile);
    EXPECT_NE(result.message.find("record 5"), std::string::npos) << result.message;

    result = updater.UpdateFromFile(rig.WriteUfp("firmware.ufp", UfpText(ImageBytes(32))));
    EXPECT_EQ(result.outcome, Outcome::NotAnUpdate);
    EXPECT_EQ(result.message, "Please select a valid firmware update file.");

    result = updater.UpdateFromFile(rig.dir / "Tarvex_PROM_prod_missing.ufp");
    EXPECT_EQ(result.outcome, Outcome::CannotOpen);
    EXPECT_EQ(result.message, "Unable to open file.");

    // Opening a FIFO would wait for a writer for good, and a device would never end.
    std::vector<std::filesystem::path> irregular{rig.dir.Path()};
#if !defined(_WIN32)
    ASSERT_EQ(::mkfifo((rig.dir / "Tarvex_PROM_prod_fifo.ufp").c_str(), 0600), 0);
    irregular.push_back(rig.dir / "Tarvex_PROM_prod_fifo.ufp");
    irregular.push_back("/dev/zero");
#endif
    for (const auto& path : irregular) {
        result = updater.UpdateFromFile(path);
        EXPECT_EQ(result.message, "Unable to open file: it is not a regular file.") << path;
    }

    rig.controller->UpdateCache([](LaserCache& c) { c.firmware = FirmwareVersion{1, 4, 9, 0, 0}; });
    result = updater.UpdateFromFile(rig.WriteUfp("zuv_motion_prod.ufp", UfpText(ImageBytes(64))));
    EXPECT_EQ(result.outcome, Outcome::NotSupported);
    EXPECT_NE(result.message.find("1.5.0 or later"), std::string::npos);

    EXPECT_TRUE(rig.transport->Sent().empty());
    EXPECT_EQ(rig.laser.Executed(kExecFirmwareUpdateCmd), 0u);
}

TEST(FirmwareUpdate, WrongCheckByteIsReadAgainThenTheFrameRewritten) {
    UpdateRig rig;
    rig.Faults([](sim::FirmwareUpdateFaults& f) { f.corruptReplies = 1; });
    TraceCapture trace;
    ASSERT_TRUE(rig.Update("Tarvex_PROM_MultiBoot.ufp", ImageBytes(160)).Succeeded());
    EXPECT_EQ(rig.laser.History()[0].second[0], 1);
    EXPECT_EQ(trace.Count("Write result = 1"), 1u);
    EXPECT_EQ(trace.Count("FWUpdate:Timed out"), 9u);
    EXPECT_EQ(trace.Count("Did not get response.  Retrying..."), 1u);
    EXPECT_EQ(trace.Count("FWUpdate:Got valid response"), 1u);
    EXPECT_EQ(rig.Boot().writes, (Writes{{0, 160}, {0, 160}}));
    EXPECT_EQ(rig.Frames().size(), 3u); // ten records make one frame, then the end frame
    EXPECT_EQ(rig.Boot().image, BitReversed(ImageBytes(160)));
}

TEST(FirmwareUpdate, LostFrameIsSentAgain) {
    UpdateRig rig;
    rig.Faults([](sim::FirmwareUpdateFaults& f) { f.silentFrames = 1; });
    const auto image = ImageBytes(400);
    ASSERT_TRUE(rig.Update("Tarvex_PROM_prod.ufp", image).Succeeded());
    EXPECT_EQ(rig.Boot().image, BitReversed(image));
    EXPECT_EQ(rig.Frames().size(), 5u); // three frames, one of them twice, and the end frame
}

TEST(FirmwareUpdate, FrameThatIsNeverAnsweredOrARefusedEndFrameFailsTheUpdate) {
    UpdateRig rig;
    rig.Faults([](sim::FirmwareUpdateFaults& f) { f.silentFrames = 1000; });
    TraceCapture trace;
    const auto result = rig.Update("Tarvex_PROM_prod.ufp", ImageBytes(160));
    EXPECT_EQ(result.outcome, Outcome::TransferFailed);
    EXPECT_EQ(result.message, "Update not successful. 9 of 10 records written");
    EXPECT_TRUE(trace.Contains("WriteFwData error"));
    // Ten attempts, ten more for the chunk left over, then the end frame all the same.
    EXPECT_EQ(rig.Frames().size(), 21u);
    EXPECT_EQ(rig.Boot().endAddress, 0u);
    EXPECT_FALSE(rig.controller->HeartbeatPaused());

    UpdateRig refused;
    refused.Faults([](sim::FirmwareUpdateFaults& f) { f.endReply = 0; });
    const auto end = refused.Update("Tarvex_PROM_prod.ufp", ImageBytes(160));
    EXPECT_EQ(end.outcome, Outcome::TransferFailed);
    EXPECT_EQ(end.message, "Update not successful. 10 of 10 records written");
}

TEST(FirmwareUpdate, MotionBlockGetsThreeTriesAndALostLastBlockIsNotASuccess) {
    UpdateRig rig;
    rig.Faults([](sim::FirmwareUpdateFaults& f) { f.failBlocks = 2; });
    ASSERT_TRUE(rig.Update("zuv_motion_prod.ufp", ImageBytes(80)).Succeeded());
    EXPECT_EQ(rig.laser.Executed(kWriteMbFwDataCmd), 4u);

    UpdateRig failing;
    failing.Faults([](sim::FirmwareUpdateFaults& f) { f.failBlocks = 1000; });
    TraceCapture trace;
    const auto result = failing.Update("zuv_motion_prod.ufp", ImageBytes(80));
    EXPECT_EQ(result.message, "Update not successful. 3 of 5 records written");
    EXPECT_TRUE(trace.Contains("WriteMbFwData error"));
    EXPECT_EQ(failing.laser.Executed(kWriteMbFwDataCmd), 4u); // three tries, then one for the rest
    EXPECT_FALSE(failing.controller->HeartbeatPaused());

    UpdateRig lastLost;
    lastLost.laser.SetHandler(kWriteMbFwDataCmd,
                              [](const sim::SimRequest& request, sim::SimReply& reply) {
                                  reply.payload[8] = be::GetU32(request.payload.data()) == 0;
                              });
    const auto last = lastLost.Update("zuv_motion_prod.ufp", ImageBytes(80));
    EXPECT_EQ(last.outcome, Outcome::TransferFailed);
    EXPECT_EQ(last.message, "Update not successful. 4 of 5 records written");
}

TEST(FirmwareUpdate, ARefusedStartOrALaserThatNeverGetsReadySendsNothingMore) {
    UpdateRig refused;
    refused.InjectNext(sim::Fault::Nak);
    const auto start = refused.Update("Tarvex_PROM_prod.ufp", ImageBytes(32));
    EXPECT_EQ(start.outcome, Outcome::StartFailed);
    EXPECT_EQ(start.message, "Unable to start update.");
    EXPECT_EQ(refused.transport->Sent().size(), 1u);
    EXPECT_FALSE(refused.controller->HeartbeatPaused());

    UpdateRig rig;
    rig.Faults([](sim::FirmwareUpdateFaults& f) { f.neverReady = true; });
    FirmwareUpdater updater(*rig.controller);
    updater.SetReadyTimeoutMs(30000);
    const std::uint64_t began = rig.clock.NowMs();
    const auto result =
        updater.UpdateFromFile(rig.WriteUfp("Tarvex_PROM_prod.ufp", UfpText(ImageBytes(32))));
    EXPECT_EQ(result.outcome, Outcome::NotReady);
    EXPECT_NE(result.message.find("did not become ready"), std::string::npos);
    EXPECT_GE(rig.clock.NowMs() - began, 30000u);
    EXPECT_LT(rig.clock.NowMs() - began, 35000u);
    EXPECT_EQ(rig.transport->Sent().size(), 1u);
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
}

TEST(FirmwareCommands, StartPausesTheHeartbeatOnlyWhenAcceptedAndFinishingClearsThePause) {
    UpdateRig rig;
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ExecFirmwareUpdate(2));
    EXPECT_TRUE(trace.Contains("Firmware Update, Type = 2"));
    EXPECT_TRUE(rig.controller->HeartbeatPaused());
    EXPECT_EQ(rig.transport->TimeoutHistory(), (std::vector<std::uint32_t>{10000, 2000}));

    // Finishing clears the pause whatever the reply.
    rig.Faults([](sim::FirmwareUpdateFaults& f) { f.endReply = 9; });
    EXPECT_FALSE(rig.controller->FinishFwUpdate(0));
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
    rig.controller->SetHeartbeatPaused(true);
    rig.controller->FinishMbFwUpdate();
    EXPECT_FALSE(rig.controller->HeartbeatPaused());

    EXPECT_FALSE(rig.controller->ExecFirmwareUpdate(3)); // a type the laser does not know
    EXPECT_FALSE(rig.controller->HeartbeatPaused());
}

TEST(FirmwareCommands, ReadyWaitReadsOneByteAndBacksOff) {
    UpdateRig rig;
    rig.laser.SetHandler(kExecFirmwareUpdateCmd, [](const sim::SimRequest&, sim::SimReply& reply) {
        reply.after.push_back({{7}, 0});
        reply.after.push_back({{1}, 0});
    });
    ASSERT_TRUE(rig.controller->ExecFirmwareUpdate(4));
    rig.clock.ClearSleeps();
    EXPECT_FALSE(rig.controller->WaitForUpdateReady());
    EXPECT_EQ(rig.clock.Sleeps(), std::vector<std::uint32_t>{100});
    EXPECT_TRUE(rig.controller->WaitForUpdateReady());
    rig.clock.ClearSleeps();
    EXPECT_FALSE(rig.controller->WaitForUpdateReady()); // nothing more comes
    EXPECT_EQ(rig.clock.Sleeps(), (std::vector<std::uint32_t>{500, 100}));
}

TEST(FirmwareCommands, MotionBlockLengthIsClampedAndCheckedBeforeSending) {
    UpdateRig rig;
    ASSERT_TRUE(rig.controller->ExecFirmwareUpdate(4));
    ASSERT_TRUE(rig.controller->WaitForUpdateReady());
    std::vector<std::uint8_t> data(100, 0xAB);
    TraceCapture trace;
    EXPECT_TRUE(rig.controller->WriteMbFwData(128, 100, data.data()));
    EXPECT_TRUE(trace.Contains("Successful MB FW Write:\tOffset: 128,\tLen: 64"));
    const auto history = rig.laser.History();
    EXPECT_EQ(be::GetU32(history.back().second.data() + 4), 64u);

    EXPECT_FALSE(rig.controller->WriteMbFwData(0, -1, data.data()));
    EXPECT_FALSE(rig.controller->WriteFwData(0, data.data(), 161));
    EXPECT_EQ(rig.laser.History().size(), history.size());
    EXPECT_EQ(rig.Boot().writes, (Writes{{128, 64}}));
}
