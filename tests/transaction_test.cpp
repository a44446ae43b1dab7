// The command exchange against the simulated laser in process, on simulated time: every way a
// reply can go wrong must be rejected, counted and recovered from.
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;
using Style = sim::InProcessTransport::Style;

namespace {

constexpr std::uint16_t kStatusMask = 3;
constexpr std::uint16_t kSysInfo = 4;

using Waits = std::vector<std::uint32_t>;
const Waits kFailedWrite = {200, 400, 100};
const Waits kFailedRead = {400};

} // namespace

TEST(Exchange, GoodReplyLoadsTheResponse) {
    SimRig rig;
    rig.laser.SetStatusMask(0x1407);
    TraceCapture trace;
    KTarvexCommand command(kStatusMask, kRead);
    KTarvexCommand response;
    ASSERT_TRUE(rig.controller->Exchange(command, response));
    EXPECT_EQ(response.GetHeader().disposition, kResponse);
    EXPECT_EQ(response.GetHeader().seqnum, command.GetHeader().seqnum);
    EXPECT_EQ(be::GetU32(response.GetData()), 0x1407u);
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
    EXPECT_TRUE(rig.clock.Sleeps().empty());
    EXPECT_TRUE(trace.Contains("KTarvexController::WriteCommand"));
    EXPECT_TRUE(trace.Contains("Sending Packet with Len: 20"));
    EXPECT_TRUE(trace.Contains("[KTarvexController::ExecuteCommand] cmdID = 3 time = 0"));
    const std::string sequence =
        "[Sequence] Cmd SeqNum = " + std::to_string(command.GetHeader().seqnum) +
        ", Rsp SeqNum = " + std::to_string(command.GetHeader().seqnum);
    EXPECT_TRUE(trace.Contains(sequence));
}

// Each spoiled ack/nak fails the write attempt with the purge and its waits; each spoiled
// response fails the exchange after one wait without purging, and no trace names its cause
// (apart from the codec's own CRC line). The next command goes through and resets the count.
struct ExchangeFault {
    Fault fault;
    Waits waits;
    const char* trace; // what the failure traces, where it names its cause
};
void PrintTo(const ExchangeFault& param, std::ostream* os) {
    *os << FaultName(param.fault);
}

class ExchangeFaults : public ::testing::TestWithParam<ExchangeFault> {};

TEST_P(ExchangeFaults, AreRejectedCountedAndRecoveredFrom) {
    const ExchangeFault& param = GetParam();
    SimRig rig;
    TraceCapture trace;
    rig.InjectNext(param.fault);
    EXPECT_FALSE(rig.Exchange(kStatusMask));
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 1);
    EXPECT_EQ(rig.clock.Sleeps(), param.waits);
    if (param.trace != nullptr) {
        EXPECT_TRUE(trace.Contains(param.trace));
    } else {
        EXPECT_FALSE(trace.Contains("Invalid ack/nak"));
        EXPECT_FALSE(trace.Contains("Timed out"));
    }

    // The purge left nothing behind that the next exchange could mistake for its reply.
    rig.clock.ClearSleeps();
    EXPECT_TRUE(rig.Exchange(kStatusMask));
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
    EXPECT_TRUE(rig.clock.Sleeps().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ExchangeFaults,
    ::testing::Values(
        ExchangeFault{Fault::Silent, kFailedWrite,
                      "[KTarvexController::WriteCommand] Timed out reading ack/nak"},
        ExchangeFault{Fault::CorruptAck, kFailedWrite,
                      "[KTarvexController::WriteCommand] Invalid ack/nak packet received(crc)"},
        ExchangeFault{Fault::Nak, kFailedWrite, "Invalid ack/nak packet received(semantics)"},
        ExchangeFault{Fault::AckWrongSequence, kFailedWrite,
                      "Invalid ack/nak packet received(semantics)"},
        ExchangeFault{Fault::StaleDuplicate, kFailedWrite,
                      "Invalid ack/nak packet received(semantics)"},
        // Without its ack the response's first twelve bytes are read as one.
        ExchangeFault{Fault::DropAck, kFailedWrite, "Invalid ack/nak packet received"},
        ExchangeFault{Fault::DropResponse, kFailedRead, nullptr},
        ExchangeFault{Fault::CorruptResponse, kFailedRead, nullptr},
        ExchangeFault{Fault::ResponseWrongSequence, kFailedRead, nullptr},
        ExchangeFault{Fault::StatusNonZero, kFailedRead, nullptr}),
    [](const ::testing::TestParamInfo<ExchangeFault>& param) {
        std::string name = FaultName(param.param.fault);
        std::erase(name, '-');
        return name;
    });

TEST(Exchange, NakFailsWithoutReadingAResponseOrExecuting) {
    SimRig rig;
    TraceCapture trace;
    rig.InjectNext(Fault::Nak);
    KTarvexCommand command(kSysInfo, kRead), response;
    EXPECT_FALSE(rig.controller->Exchange(command, response));
    EXPECT_EQ(rig.laser.Executed(kSysInfo), 0u);
    const std::string expected =
        "[KTarvexController::WriteCommand] Invalid ack/nak packet received(semantics) cmdID = 4 "
        "disposition = 129 seqnum = " +
        std::to_string(command.GetHeader().seqnum) +
        " [Command] cmdID = 4 disposition = 1 seqnum = " +
        std::to_string(command.GetHeader().seqnum);
    EXPECT_TRUE(trace.Contains(expected));
}

TEST(Exchange, CorruptResponseIsReportedByTheCodecInThePanelOnly) {
    for (bool panel : {true, false}) {
        SimRig rig(panel ? ControllerProfile::Panel() : ControllerProfile::Sdk());
        TraceCapture trace;
        rig.InjectNext(Fault::CorruptResponse);
        EXPECT_FALSE(rig.Exchange(kStatusMask));
        EXPECT_EQ(trace.Contains("[KTarvexCommand::ProcessPacket] CRC mismatch"), panel);
    }
}

TEST(Exchange, LateReplyIsRejectedAndDoesNotPoisonTheNextCommand) {
    // The whole reply late, or only the response after an ack in time.
    for (Fault late : {Fault::Delay, Fault::DelayResponse}) {
        SCOPED_TRACE(sim::FaultName(late));
        SimRig rig;
        rig.transport->SetTimeouts(1000, 0);
        rig.InjectNext(late, 1, 1500);
        EXPECT_FALSE(rig.Exchange(kStatusMask));
        EXPECT_EQ(rig.controller->ConsecutiveFailures(), 1);
        // The late bytes arrive during the waits after the failed read and are purged or read
        // as garbage; either way the following exchange must succeed on its own.
        bool recovered = rig.Exchange(kStatusMask) || rig.Exchange(kStatusMask);
        EXPECT_TRUE(recovered);
        EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
    }
}

TEST(Exchange, UdpRetriesTheWriteLosesADatagramOfTheWrongSizeAndDrainsStaleOnes) {
    SimRig rig(ControllerProfile::Panel(), Style::DatagramThrow);
    rig.InjectNext(Fault::Silent, 2);
    int failuresSeen = 0;
    rig.controller->SetLinkLostCallback([&] { ++failuresSeen; });
    KTarvexCommand command(kStatusMask, kRead), response;
    ASSERT_TRUE(rig.controller->Exchange(command, response));
    // The same bytes went out three times.
    ASSERT_EQ(rig.transport->Sent().size(), 3u);
    EXPECT_EQ(rig.transport->Sent()[0], rig.transport->Sent()[2]);
    EXPECT_EQ(rig.clock.Sleeps(), (Waits{200, 400, 100, 200, 400, 100}));
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
    EXPECT_EQ(failuresSeen, 0);

    // Without its ack the 20-byte response is read where 12 bytes are expected, and lost; the
    // second attempt gets a proper reply.
    rig.InjectNext(Fault::DropAck);
    EXPECT_TRUE(rig.Exchange(kStatusMask));
    EXPECT_EQ(rig.transport->Sent().size(), 5u);

    // A stale duplicate is drained before the retry: nothing is left queued, and the following
    // commands take one attempt each.
    rig.InjectNext(Fault::StaleDuplicate);
    EXPECT_TRUE(rig.Exchange(kStatusMask));
    const std::size_t sentBefore = rig.transport->Sent().size();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(rig.Exchange(kStatusMask));
    EXPECT_EQ(rig.transport->Sent().size(), sentBefore + 3);
}

TEST(LinkLoss, IsSignalledOnTheSixthConsecutiveFailureAndEveryOneAfter) {
    SimRig rig;
    std::vector<int> signalledAt;
    int attempt = 0;
    rig.controller->SetLinkLostCallback([&] { signalledAt.push_back(attempt); });
    rig.InjectNext(Fault::Silent, 7);
    for (attempt = 1; attempt <= 7; ++attempt)
        EXPECT_FALSE(rig.Exchange(kStatusMask));
    EXPECT_EQ(signalledAt, (std::vector<int>{6, 7}));
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 7);

    // One good exchange resets the count.
    EXPECT_TRUE(rig.Exchange(kStatusMask));
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
    rig.InjectNext(Fault::Silent, 5);
    for (int i = 0; i < 5; ++i)
        rig.Exchange(kStatusMask);
    EXPECT_EQ(signalledAt.size(), 2u);
}

// The callback comes once the link is free: another thread could take it, and the callback can
// close the transport without pulling it from under an exchange that still has attempts to make
// (here the sixth failure is the second of three UDP attempts).
TEST(LinkLoss, TheCallbackRunsWithTheLinkFree) {
    SimRig rig(ControllerProfile::Panel(), Style::DatagramThrow);
    rig.InjectNext(Fault::StatusNonZero);
    rig.InjectNext(Fault::Silent, -1);
    std::vector<bool> linkFree;
    rig.controller->SetLinkLostCallback([&] {
        linkFree.push_back(LinkFreeForAnotherThread(*rig.controller));
        rig.controller->CloseTransport();
    });
    EXPECT_FALSE(rig.Exchange(kStatusMask)); // a bad response: one failure
    EXPECT_FALSE(rig.Exchange(kStatusMask)); // three
    EXPECT_FALSE(rig.Exchange(kStatusMask)); // the sixth and seventh
    EXPECT_EQ(linkFree, (std::vector<bool>{true, true}));
    EXPECT_FALSE(rig.controller->HasTransport());
    const std::size_t waits = rig.clock.Sleeps().size();
    EXPECT_FALSE(rig.Exchange(kStatusMask)); // without a transport, at once
    EXPECT_EQ(rig.clock.Sleeps().size(), waits);
}

// The callback's own commands fail too on a dead link; they are reported after it returns, at
// the next release, never from inside it.
TEST(LinkLoss, TheCallbackIsNotReenteredByItsOwnFailures) {
    SimRig rig;
    rig.InjectNext(Fault::Silent, -1);
    int depth = 0;
    int calls = 0;
    rig.controller->SetLinkLostCallback([&] {
        ++calls;
        EXPECT_EQ(++depth, 1);
        EXPECT_FALSE(rig.controller->ReadStatusMask());
        --depth;
    });
    for (int i = 0; i < 6; ++i)
        rig.Exchange(kStatusMask);
    EXPECT_EQ(calls, 1);
    rig.Exchange(kStatusMask); // its own and the callback's failure are both reported
    EXPECT_EQ(calls, 3);
}

TEST(LinkLoss, GoodAcksKeepResetTheCountWhileResponsesFail) {
    // A laser that acknowledges but answers every command with a bad status is not a lost
    // link: each good ack/nak starts the count again.
    SimRig rig;
    int signals = 0;
    rig.controller->SetLinkLostCallback([&] { ++signals; });
    rig.InjectNext(Fault::Silent, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(rig.Exchange(kStatusMask));
    rig.InjectNext(Fault::StatusNonZero, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(rig.Exchange(kStatusMask));
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 1);
    EXPECT_EQ(signals, 0);
}

TEST(LinkLoss, FailureCountIsEightBitsWide) {
    SimRig rig(ControllerProfile::Sdk());
    rig.InjectNext(Fault::Nak, 256);
    for (int i = 0; i < 256; ++i)
        rig.Exchange(kStatusMask);
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 0);
    rig.InjectNext(Fault::Nak, 1);
    rig.Exchange(kStatusMask);
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 1);
}

TEST(SdkProfile, CountsFailuresButRaisesNothing) {
    SimRig rig(ControllerProfile::Sdk(), Style::StreamShort);
    int signals = 0;
    rig.controller->SetLinkLostCallback([&] { ++signals; });
    TraceCapture trace;
    rig.InjectNext(Fault::Silent, 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(rig.Exchange(kStatusMask));
    EXPECT_EQ(signals, 0);
    EXPECT_EQ(rig.controller->ConsecutiveFailures(), 6);
    // A short read reaches the checks as zeros, which pass the CRC and fail the semantics.
    EXPECT_EQ(trace.Count("Invalid ack/nak packet received(semantics) cmdID = 0"), 6u);
    EXPECT_FALSE(trace.Contains("Timed out reading ack/nak"));
    EXPECT_FALSE(trace.Contains("[Sequence]"));
    EXPECT_TRUE(rig.Exchange(kStatusMask));
}

TEST(Profiles, EachDeliverableCarriesOnlyItsOwnCommands) {
    SimRig panel;
    SimRig sdk(ControllerProfile::Sdk());
    TraceCapture trace;
    EXPECT_FALSE(panel.controller->ReadWriteGalvoLaserEnable(false));
    EXPECT_FALSE(panel.controller->StartSweepAdvancedScan());
    EXPECT_FALSE(sdk.controller->ReadInfoTemps());
    EXPECT_FALSE(sdk.controller->ExecQclOnOff(1, 2));
    EXPECT_FALSE(sdk.controller->SetPointerEnable(true));
    EXPECT_TRUE(panel.laser.History().empty());
    EXPECT_TRUE(sdk.laser.History().empty());
    // Refused, not failed: the galvo defaults a failed exchange leaves stay out of the cache.
    EXPECT_EQ(panel.controller->ReadCache([](const LaserCache& c) { return c.galvoLaser.disp; }),
              0);
    EXPECT_EQ(sdk.Cache().pointerEnable, 0); // nor does a refused value stand in the cache
    EXPECT_TRUE(trace.Contains(
        "[KTarvexController::ReadWriteGalvoLaserEnable] refused: a command of the SDK only"));
    EXPECT_TRUE(panel.controller->ReadInfoTemps());
    EXPECT_TRUE(sdk.controller->ReadWriteGalvoLaserEnable(false));
}
