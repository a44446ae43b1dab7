// The simulated laser against what a peer or a user may send it: noise on the line, firmware
// frames far out of place, a flood of commands, and options or files that make no sense. Each
// must be answered or refused, never grow memory without bound or block the simulator.
#include "ControlLine.h"
#include "FaultSpec.h"
#include "LaserProfile.h"
#include "SavedStateFile.h"
#include "TuningModel.h"
#include "codec/ByteOrder.h"
#include "codec/Crc.h"
#include "support/SimRig.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace tarvex;
using namespace tarvex::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint16_t kSysInfoCmd = 1;

Bytes Packet(std::uint16_t cmdID, std::uint16_t seqnum) {
    KTarvexCommand command(cmdID, kRead);
    command.GetHeader().seqnum = seqnum;
    Bytes bytes(kMaxWireSize);
    std::size_t size = bytes.size();
    command.GetPacket(bytes.data(), size);
    bytes.resize(size);
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The sequence numbers of the responses among the link's answers.
std::vector<std::uint16_t> Answered(const std::vector<sim::SimOutput>& outputs) {
    std::vector<std::uint16_t> seqnums;
    for (const auto& output : outputs)
        if (output.bytes.size() > kAckPacketSize && output.bytes[3] == kResponse)
            seqnums.push_back(be::GetU16(output.bytes.data() + 4));
    return seqnums;
}

TEST(SimStreamFraming, APacketBehindNoiseIsAnsweredAtOnceAndOneInPiecesWaitsForItsRest) {
    // A command cut short by the host: its header promises far more than comes.
    Bytes cutShort = Packet(kSysInfoCmd, 7);
    be::PutU16(cutShort.data() + 8, 600);
    cutShort.resize(14);
    Bytes spoiled = Packet(kSysInfoCmd, 8);
    spoiled[12] ^= 0x40;
    const struct {
        const char* what;
        Bytes noise;
    } cases[] = {
        {"bytes that hold no length",
         Bytes{0xFF, 0xFF, 0x13, 0x37, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}},
        {"a cut-short command", cutShort},
        {"a spoiled command", spoiled},
        {"a single stray byte", Bytes{0x00}},
    };
    for (const auto& c : cases) {
        SimLaserRig rig;
        const auto outputs = rig.link.OnStreamBytes(
            Join({c.noise, Packet(kSysInfoCmd, 41), Packet(kSysInfoCmd, 42)}).data(),
            c.noise.size() + 2 * Packet(kSysInfoCmd, 0).size());
        EXPECT_EQ(Answered(outputs), (std::vector<std::uint16_t>{41, 42})) << c.what;
    }

    SimLaserRig rig;
    const Bytes packet = Packet(kSysInfoCmd, 5);
    EXPECT_TRUE(rig.link.OnStreamBytes(packet.data(), 15).empty());
    const auto outputs = rig.link.OnStreamBytes(packet.data() + 15, packet.size() - 15);
    EXPECT_EQ(Answered(outputs), std::vector<std::uint16_t>{5});
    EXPECT_EQ(rig.link.GetStats().framingErrors, 0u);
}

// A controller firmware frame: start byte, big-endian address, length, data, Crc8.
Bytes Frame(std::uint32_t address, std::size_t n) {
    Bytes frame{fw_frame::kStart, 0, 0, 0, 0, static_cast<std::uint8_t>(n)};
    be::PutU32(frame.data() + 1, address);
    for (std::size_t i = 0; i < n; ++i)
        frame.push_back(static_cast<std::uint8_t>(i * 7));
    frame.push_back(Crc8(frame.data(), static_cast<std::uint16_t>(n + 5)));
    return frame;
}

void StartUpdate(SimLaserRig& rig, std::uint8_t type) {
    const Bytes payload{type};
    rig.laser.Process({kExecFirmwareUpdateCmd, kExecute, 1, payload});
}

TEST(SimFirmwareImage, FramesAndMotionBlocksBeyondTheFlashAreRefusedAndStoreNothing) {
    SimLaserRig rig;
    StartUpdate(rig, 2);
    const std::uint32_t lastFit = sim::kLargestFirmwareImage - 160;
    for (std::uint32_t address : {0xFFFFFF00u, lastFit + 1}) {
        const Bytes frame = Frame(address, 160);
        const auto replies = rig.link.OnStreamBytes(frame.data(), frame.size());
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].bytes, (Bytes{0, 0})) << address;
    }
    const Bytes last = Frame(lastFit, 160);
    const auto replies = rig.link.OnStreamBytes(last.data(), last.size());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes[0], fw_frame::kStart);
    const auto boot =
        rig.laser.Inspect([](const sim::SimState& s) { return s.config.firmwareUpdate; });
    EXPECT_EQ(boot.image.size(), sim::kLargestFirmwareImage);
    EXPECT_EQ(boot.framesPastFlash, 2u);
    EXPECT_EQ(boot.writes.size(), 1u);

    StartUpdate(rig, 4);
    Bytes payload(72, 0x5A);
    be::PutU32(payload.data(), 0xFFFFFFF0u);
    be::PutU32(payload.data() + 4, 64);
    const auto reply = rig.laser.Process({kWriteMbFwDataCmd, kExecute, 2, payload});
    EXPECT_EQ(reply.payload[8], 0);
    EXPECT_TRUE(rig.laser.Inspect(
        [](const sim::SimState& s) { return s.config.firmwareUpdate.motionImage.empty(); }));
}

TEST(SimHistory, KeepsOnlyTheMostRecentCommands) {
    SimLaserRig rig;
    constexpr std::size_t kExtra = 5;
    for (std::size_t i = 0; i < sim::SimLaser::kHistoryLimit + kExtra; ++i) {
        Bytes payload(8);
        be::PutU32(payload.data(), static_cast<std::uint32_t>(i));
        rig.laser.Process({kSysInfoCmd, kRead, 1, payload});
    }
    const auto history = rig.laser.History();
    ASSERT_EQ(history.size(), sim::SimLaser::kHistoryLimit);
    EXPECT_EQ(be::GetU32(history.front().second.data()), kExtra);
    EXPECT_EQ(rig.laser.Executed(kSysInfoCmd), sim::SimLaser::kHistoryLimit + kExtra);
}

TEST(SimFaultSpec, ValuesOutOfRangeAreRefusedWithTheReason) {
    const struct {
        const char* spec;
        const char* reason;
    } cases[] = {
        {"nak,cmd=-1", "cmd must be a command id from 0 to 65535"},
        {"nak,cmd=70000", "cmd must be"},
        {"nak,cmd=1.5", "cmd must be"},
        {"nak,count=1e20", "count must be a whole number"},
        {"nak,count=99999999999", "count must be"},
        {"delay,delay=-5", "delay must be whole milliseconds from 0 to 60000"},
        {"delay,delay=1e12", "delay must be"},
        {"nak,rate=nan", "rate must be a probability from 0 to 1"},
        {"nak,rate=5", "rate must be"},
        {"nak,rate=-0.1", "rate must be"},
        {"nak,cmd=", "cmd must be"},
        {"nak,cmd", "'cmd' is not KEY=VALUE"},
        {"nak,colour=red", "unknown key 'colour'"},
        {"meltdown", "unknown fault 'meltdown' (drop-ack, "},
        {"none", "unknown fault 'none'"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(sim::ParseFaultSpec(c.spec, error)) << c.spec;
        EXPECT_NE(error.find(std::string("bad fault spec '") + c.spec + "': " + c.reason),
                  std::string::npos)
            << c.spec << ": " << error;
    }

    std::string error;
    const auto rule = sim::ParseFaultSpec("delay,cmd=65535,count=-1,delay=60000", error);
    ASSERT_TRUE(rule) << error;
    EXPECT_EQ(rule->fault, sim::Fault::Delay);
    EXPECT_EQ(rule->cmdID, 65535);
    EXPECT_EQ(rule->count, -1);
    EXPECT_EQ(rule->delayMs, 60000u);
    ASSERT_TRUE(sim::ParseFaultSpec("corrupt-ack,rate=1", error));
    EXPECT_EQ(sim::ParseFaultSpec("corrupt-ack,rate=0.25", error)->rate, 0.25);
}

TEST(SimControlLines, AnUnreadableSettingIsRefusedAndChangesNothing) {
    SimLaserRig rig;
    auto hardware = [&] {
        return rig.laser.Inspect([](const sim::SimState& s) {
            return std::tuple(s.interlockClosed, s.keySwitchOn, s.pointerFitted,
                              s.faultCausePresent, s.errorWord, s.faultRings.warningsNumItems,
                              s.statusOverride, s.caseTemp1Warning, s.pcbTempWarning);
        });
    };
    const auto before = hardware();
    for (const char* line :
         {"interlock shut", "key", "pointer 1", "fault-cause yes", "error 0x10000", "error ten",
          "warning -1", "status 12zz", "temp-warning 3 on", "temp-warning 0 on",
          "temp-warning pcb maybe", "fault no-such-fault", "arm now"}) {
        std::string error;
        EXPECT_EQ(sim::ApplyControlLine(line, rig.laser, rig.faults, error),
                  sim::ControlResult::kRefused)
            << line;
        EXPECT_FALSE(error.empty()) << line;
    }
    EXPECT_EQ(hardware(), before);

    std::string error;
    for (const char* line : {"interlock open", "error 0x1f", "warning 7", "temp-warning pcb on",
                             "temp-warning 1 on", "status 1234", ""})
        EXPECT_EQ(sim::ApplyControlLine(line, rig.laser, rig.faults, error),
                  sim::ControlResult::kApplied)
            << line;
    EXPECT_EQ(hardware(),
              std::tuple(false, true, false, false, std::uint16_t{0x1f}, std::uint16_t{1},
                         std::optional<std::uint32_t>(0x1234), true, true));
    EXPECT_EQ(sim::ApplyControlLine("quit", rig.laser, rig.faults, error),
              sim::ControlResult::kQuit);
}

TEST(SimFaultSpec, TheSeedIsAWholeUnsignedNumber) {
    std::string error;
    EXPECT_EQ(sim::ParseSeed("4294967295", error), 4294967295u);
    EXPECT_EQ(sim::ParseSeed("0", error), 0u);
    for (const char* bad : {"abc", "-5", "4294967296", "12x", "", " 7", "+7"}) {
        EXPECT_FALSE(sim::ParseSeed(bad, error)) << bad;
        EXPECT_EQ(error, std::string("bad seed '") + bad +
                             "': a whole number from 0 to 4294967295 is needed");
    }
}

TEST(SimTuningBounds, ProfilesKeepTheirRangesWithinReason) {
    for (const char* range : {"1e-30 5 cm-1", "4 1e30 um", "4 inf um", "nan 5 um", "0.01 5 um"}) {
        std::string error;
        EXPECT_FALSE(sim::LaserProfile::Parse(std::string("[qcl]\nrange = ") + range + "\n", error))
            << range;
        EXPECT_NE(error.find("line 2: "), std::string::npos) << error;
    }
    std::string error;
    EXPECT_TRUE(sim::LaserProfile::Parse("[qcl]\nrange = 0.1 1000 um\n", error)) << error;
    EXPECT_TRUE(sim::LaserProfile::Parse("[qcl]\nrange = 10 100000 cm-1\n", error)) << error;
    EXPECT_FALSE(sim::LaserProfile::Parse("hours = inf\n[qcl]\nrange = 4 5 um\n", error));
}

TEST(SimTuningBounds, MoveDurationsSaturateInsteadOfOverflowing) {
    constexpr auto kLongest = std::numeric_limits<std::uint32_t>::max();
    EXPECT_EQ(sim::MoveDurationMs(0.0f, 3e38f), kLongest);
    EXPECT_EQ(sim::MoveDurationMs(0.0f, std::numeric_limits<float>::infinity()), kLongest);
    EXPECT_EQ(sim::MoveDurationMs(4.0f, 5.0f), 500u);
    EXPECT_EQ(sim::MoveDurationMs(4.0f, 4.0f), 0u);
    EXPECT_EQ(sim::BoundedMs(std::numeric_limits<double>::quiet_NaN()), kLongest);
    EXPECT_EQ(sim::BoundedMs(-3.0), 0u);
}

#if !defined(_WIN32)
TEST(SimInputFiles, AnythingButASmallRegularFileIsRefusedUnread) {
    TempDir dir;
    const auto fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto large = dir / "large.profile";
    WriteBytes(large, {});
    std::filesystem::resize_file(large, (1u << 20) + 1);
    const struct {
        std::filesystem::path file;
        const char* reason;
    } cases[] = {
        {fifo, "not a regular file"},       {"/dev/zero", "not a regular file"},
        {dir.Path(), "not a regular file"}, {large, "larger than 1048576 bytes"},
        {dir / "missing", "no such file"},
    };
    for (const auto& c : cases) {
        const std::string expected = "cannot read " + c.file.string() + ": " + c.reason;
        std::string error;
        EXPECT_FALSE(sim::LaserProfile::Load(c.file, error));
        EXPECT_EQ(error, expected);
        EXPECT_FALSE(sim::ReadSavedStateFile(c.file, error));
        EXPECT_EQ(error, expected);
        if (c.file != dir / "missing") {
            SimLaserRig rig;
            EXPECT_FALSE(sim::KeepSavedStatesIn(rig.laser, c.file, error)) << c.file;
            EXPECT_EQ(error, expected);
        }
    }
}
#endif

TEST(SimInputFiles, LinesEndedInCrLfReadAsTheirText) {
    TempDir dir;
    const auto file = dir / "windows.profile";
    const std::string text = "serial = X7\r\n[qcl]\r\nrange = 4.2 5.05 um\r\n";
    WriteBytes(file, Bytes(text.begin(), text.end()));
    std::string error;
    const auto profile = sim::LaserProfile::Load(file, error);
    ASSERT_TRUE(profile) << error;
    EXPECT_EQ(profile->serialNumber, "X7");
}

} // namespace
