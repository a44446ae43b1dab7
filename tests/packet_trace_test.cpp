// The packet trace: what a wrapped transport writes for an exchange, a refusal, a silent laser
// and bytes that form no packet.
#include "support/SimRig.h"
#include "support/TempDir.h"
#include "transport/PacketTrace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

using namespace tarvex;
using namespace tarvex::test;
using testing::StartsWith;

namespace {

std::vector<std::string> Lines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A controller whose every transport is traced into a file.
struct TracedRig : SimRig {
    TempDir dir;
    std::filesystem::path path = dir / "trace.txt";
    std::shared_ptr<PacketTrace> trace;

    TracedRig() {
        std::string error;
        trace = PacketTrace::Open(path, error);
        controller->SetTransportWrapper([this](std::unique_ptr<KWinTransport> inner) {
            return PacketTrace::Wrap(trace, std::move(inner));
        });
        controller->AttachTransport(std::make_unique<sim::InProcessTransport>(
            link, clock, sim::InProcessTransport::Style::SerialThrow));
    }
};

} // namespace

TEST(PacketTrace, AnExchangeIsItsCommandAckAndResponseWithTimeAndBytes) {
    TracedRig rig;
    KTarvexCommand::SetNextSequenceNumber(77);
    ASSERT_TRUE(rig.controller->ReadStatusMask());
    const auto lines = Lines(rig.path);
    ASSERT_EQ(lines.size(), 3u);
    // The local time to the millisecond, then the packet: 20 bytes each way for the status
    // mask, 12 for the ack.
    // (std::regex: GoogleTest's own is a reduced dialect on Windows.)
    const std::regex stamp("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[.][0-9]{3} ");
    for (const auto& line : lines)
        EXPECT_TRUE(std::regex_match(line.substr(0, 24), stamp)) << line;
    EXPECT_THAT(lines[0].substr(24),
                StartsWith("TX StatusMask seq=77 read 00 00 03 01 00 4D 00 00 00 12 "));
    EXPECT_THAT(lines[1].substr(24),
                StartsWith("RX StatusMask seq=77 ack 00 00 03 01 00 4D 00 00 00 0A "));
    EXPECT_THAT(lines[2].substr(24),
                StartsWith("RX StatusMask seq=77 response 00 00 03 04 00 4D "));
    const auto bytes = [](const std::string& line) {
        return (line.size() - line.rfind(" 00 00 03")) / 3;
    };
    EXPECT_EQ(bytes(lines[0]), 20u);
    EXPECT_EQ(bytes(lines[1]), 12u);
    EXPECT_EQ(bytes(lines[2]), 20u);
}

TEST(PacketTrace, RefusalsSilenceAndRawBytesAreTracedToo) {
    TracedRig rig;
    rig.InjectNext(sim::Fault::Nak);
    EXPECT_FALSE(rig.controller->ReadInfoTemps());
    rig.InjectNext(sim::Fault::Silent);
    EXPECT_FALSE(rig.controller->ReadInfoTemps());
    const auto lines = Lines(rig.path);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_THAT(lines[1], testing::HasSubstr(" RX InfoTemps seq="));
    EXPECT_THAT(lines[1], testing::HasSubstr(" nak "));
    EXPECT_THAT(lines[3], testing::EndsWith(" RX - - timeout"));

    const std::uint8_t frame[] = {1, 0, 0, 0, 0, 0, 0x12};
    EXPECT_EQ(PacketTrace::Describe(PacketTrace::Direction::Sent, frame, sizeof frame),
              "TX - - raw 01 00 00 00 00 00 12");
}
