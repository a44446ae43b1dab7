// The SDK's USB transport against simulated adapters on simulated time: which devices it will
// open, how it sets them up, and how short reads reach the command exchange.
#include "SimFtdiBackend.h"
#include "codec/ByteOrder.h"
#include "support/SimRig.h"
#include "support/TraceCapture.h"
#include "transport/KWinUsbFtdi.h"
#include "transport/MakeTransport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarvex;
using sim::SimFtdiBackend;
using sim::SimFtdiDevice;
using testing::ElementsAre;

namespace {

constexpr std::uint16_t kStatusMask = 3;
constexpr std::uint32_t kLaserAdapter = 0x04036001;

SimFtdiDevice Device(std::uint32_t id = kLaserAdapter, std::string description = "Tarvex") {
    SimFtdiDevice device;
    device.id = id;
    device.description = std::move(description);
    return device;
}

// Simulated adapters, and the laser for those that reach it.
class UsbFtdi : public testing::Test, protected test::SimLaserRig {
protected:
    UsbFtdi() { previous_ = SetFtdiApi(&backend); }
    ~UsbFtdi() override { SetFtdiApi(previous_); }

    std::vector<std::string> Calls(std::size_t index) const { return backend.State(index).calls; }

    SimFtdiBackend backend{clock};

private:
    FtdiApi* previous_ = nullptr;
};

} // namespace

// --- Which devices open ------------------------------------------------------------------

TEST_F(UsbFtdi, OnlyTheLaserAdapterOpensAndARequiredDescriptionMustMatchExactly) {
    const auto otherProduct = backend.AddDevice(Device(0x04036015));
    const auto otherVendor = backend.AddDevice(Device(0x10C4EA60));
    for (const char* description : {"Tarvex2", "Tarve", "tarvex", "USB Serial Converter"})
        backend.AddDevice(Device(kLaserAdapter, description));
    const auto adapter = backend.AddDevice(Device());
    KWinUsbFtdi ftdi;
    ASSERT_EQ(KWinUsbFtdi::GetDeviceCount(), 7);

    for (bool requireDescription : {false, true}) {
        EXPECT_FALSE(ftdi.Open(921600, static_cast<int>(otherProduct), requireDescription));
        EXPECT_FALSE(ftdi.Open(921600, static_cast<int>(otherVendor), requireDescription));
        EXPECT_FALSE(ftdi.IsOpen());
    }
    // Refused before the backend is asked to open anything.
    EXPECT_TRUE(Calls(otherProduct).empty());
    EXPECT_TRUE(Calls(otherVendor).empty());
    EXPECT_FALSE(ftdi.Open(921600, -1, false));
    EXPECT_FALSE(ftdi.Open(921600, 7, false));

    for (int index = 2; index < 6; ++index) {
        EXPECT_FALSE(ftdi.Open(115200, index, true)) << index;
        // Without the requirement any laser adapter will do.
        EXPECT_TRUE(ftdi.Open(115200, index, false)) << index;
        ftdi.Close();
    }
    EXPECT_TRUE(ftdi.Open(921600, static_cast<int>(adapter), true));
    EXPECT_TRUE(ftdi.IsOpen());
}

TEST_F(UsbFtdi, DeviceThatFailsToOpenLeavesTheTransportClosed) {
    auto failing = Device(kLaserAdapter, "Other");
    failing.failOpen = true;
    backend.AddDevice(failing);
    backend.AddDevice(Device(kLaserAdapter, "Other"));
    KWinUsbFtdi ftdi;
    EXPECT_FALSE(ftdi.Open(921600, 0, false));
    EXPECT_FALSE(ftdi.IsOpen());
    EXPECT_THAT(Calls(0), ElementsAre("Open"));

    // A closed transport moves nothing and never throws.
    std::uint8_t bytes[12] = {};
    EXPECT_EQ(ftdi.SendByteList(bytes, sizeof bytes), 0u);
    EXPECT_EQ(ftdi.ReadByteList(bytes, sizeof bytes), 0u);
    EXPECT_EQ(ftdi.BytesAvailable(), 0u);
    EXPECT_EQ(ftdi.Purge(), 0);
    EXPECT_EQ(clock.NowMs(), 0u);

    // The SDK's transport drops what does not open, and requires no description of its candidates.
    EXPECT_EQ(MakeTransport(921600, 0, true), nullptr);
    EXPECT_EQ(MakeTransport(921600, 2, true), nullptr);
    EXPECT_NE(MakeTransport(921600, 1, true), nullptr);
    EXPECT_FALSE(backend.State(1).open); // the transport closed it when destroyed
}

TEST_F(UsbFtdi, EveryConstructionRebuildsTheProcessWideListAndAFailedListingEmptiesIt) {
    backend.AddDevice(Device());
    KWinUsbFtdi first;
    EXPECT_EQ(KWinUsbFtdi::GetDeviceCount(), 1);
    auto second = Device();
    second.serialNumber = "TX0042";
    backend.AddDevice(second);
    EXPECT_EQ(KWinUsbFtdi::GetDeviceCount(), 1);
    KWinUsbFtdi another;
    ASSERT_EQ(KWinUsbFtdi::GetDeviceCount(), 2);
    const auto nodes = KWinUsbFtdi::GetDeviceList();
    EXPECT_EQ(nodes[1].id, 0x04036001u);
    EXPECT_STREQ(nodes[1].serialNumber, "TX0042");
    EXPECT_STREQ(nodes[1].description, "Tarvex");
    // The list serves every transport of the process: the first one opens the new device too.
    EXPECT_TRUE(first.Open(921600, 1, true));

    backend.SetListStatus(kFtIoError);
    EXPECT_EQ(KWinUsbFtdi::RefreshDeviceList(), kFtIoError);
    EXPECT_EQ(KWinUsbFtdi::GetDeviceCount(), 0);
    EXPECT_FALSE(another.Open(921600, 0, false));
    backend.SetListStatus(kFtOk);
    EXPECT_EQ(KWinUsbFtdi::RefreshDeviceList(), kFtOk);
    ASSERT_EQ(KWinUsbFtdi::GetDeviceCount(), 2);
    EXPECT_TRUE(another.Open(921600, 0, false));
}

// --- Set-up --------------------------------------------------------------------------------

TEST_F(UsbFtdi, OpenSetsUpTheAdapterInOrderAReopenClosesItFirstAndTimeoutsWaitForTheOpen) {
    backend.AddDevice(Device());
    KWinUsbFtdi ftdi;
    EXPECT_EQ(ftdi.ReadTimeoutMs(), 1000u);
    EXPECT_EQ(ftdi.WriteTimeoutMs(), 1000u);
    ASSERT_TRUE(ftdi.Open(921600, 0, true));
    EXPECT_THAT(Calls(0), ElementsAre("Open", "SetBaudRate 921600", "SetDataCharacteristics 8 0 0",
                                      "SetFlowControl 0x0100 0x11 0x13", "SetLatencyTimer 2",
                                      "SetTimeouts 1000 1000"));
    EXPECT_TRUE(ftdi.IsUsb());

    ASSERT_TRUE(ftdi.Open(115200, 0, false));
    const auto calls = Calls(0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Close"), 1);
    EXPECT_EQ(calls[6], "Close");
    EXPECT_EQ(calls[7], "Open");
    ftdi.Close();
    EXPECT_FALSE(backend.State(0).open);
    ftdi.Close(); // closing twice asks the backend once
    EXPECT_EQ(Calls(0).back(), "Close");
    EXPECT_EQ(Calls(0).size(), calls.size() + 1);

    // Time-outs apply now when open, and at the next open otherwise.
    ftdi.SetTimeouts(300, 400);
    EXPECT_EQ(Calls(0).back(), "Close");
    ASSERT_TRUE(ftdi.Open(115200, 0, false));
    EXPECT_EQ(Calls(0).back(), "SetTimeouts 300 400");
    ftdi.SetTimeouts(2000, 50);
    EXPECT_EQ(Calls(0).back(), "SetTimeouts 2000 50");
    EXPECT_EQ(backend.State(0).readTimeoutMs, 2000u);
}

// --- Purge and reads -------------------------------------------------------------------------

TEST_F(UsbFtdi, PurgeDropsExactlyWhatHasArrived) {
    backend.AddDevice(Device());
    KWinUsbFtdi ftdi;
    ASSERT_TRUE(ftdi.Open(921600, 0, false));
    const auto setUp = Calls(0).size();

    EXPECT_EQ(ftdi.Purge(), 0);
    const auto calls = Calls(0);
    EXPECT_THAT(std::vector(calls.begin() + static_cast<std::ptrdiff_t>(setUp), calls.end()),
                ElementsAre("GetStatus"));

    backend.Inject(0, {1, 2, 3, 4, 5});
    backend.Inject(0, {6, 7, 8}, 50); // still on its way
    EXPECT_EQ(ftdi.BytesAvailable(), 5u);
    EXPECT_EQ(ftdi.Purge(), 0);
    EXPECT_EQ(Calls(0).back(), "Read 5");
    EXPECT_EQ(ftdi.BytesAvailable(), 0u);
    EXPECT_EQ(clock.NowMs(), 0u); // a purge never waits

    clock.Advance(50);
    std::uint8_t bytes[3] = {};
    ASSERT_EQ(ftdi.ReadByteList(bytes, 3), 3u);
    EXPECT_THAT(bytes, ElementsAre(6, 7, 8));
}

TEST_F(UsbFtdi, ReadsWaitAtMostTheReadTimeoutAndReturnWhatCame) {
    backend.AddDevice(Device());
    KWinUsbFtdi ftdi;
    ASSERT_TRUE(ftdi.Open(921600, 0, false));
    ftdi.SetTimeouts(100, 100);
    std::uint8_t bytes[12] = {};

    // Part of the reply: what came, after the whole time-out.
    backend.Inject(0, {1, 2, 3, 4});
    EXPECT_EQ(ftdi.ReadByteList(bytes, 12), 4u);
    EXPECT_EQ(clock.NowMs(), 100u);

    // A reply that arrives within the time-out is waited for, no longer than it takes.
    backend.Inject(0, std::vector<std::uint8_t>(12, 0xAB), 30);
    EXPECT_EQ(ftdi.ReadByteList(bytes, 12), 12u);
    EXPECT_EQ(clock.NowMs(), 130u);

    // One that arrives too late is not read now, but later.
    backend.Inject(0, {9, 9}, 150);
    EXPECT_EQ(ftdi.ReadByteList(bytes, 2), 0u);
    EXPECT_EQ(clock.NowMs(), 230u);
    EXPECT_EQ(ftdi.ReadByteList(bytes, 2), 2u);
    EXPECT_EQ(clock.NowMs(), 280u);

    // Nothing at all: an empty read after the time-out, no exception.
    EXPECT_EQ(ftdi.ReadByteList(bytes, 12), 0u);
    EXPECT_EQ(clock.NowMs(), 380u);
    EXPECT_TRUE(clock.Sleeps().empty());
}

// --- Through the controller ------------------------------------------------------------------

class UsbFtdiExchange : public UsbFtdi {
protected:
    KTarvexController controller{ControllerProfile::Sdk(), &clock};
};

TEST_F(UsbFtdiExchange, CommandReachesTheLaserAndTheResponseComesBack) {
    auto device = Device();
    device.link = &link;
    backend.AddDevice(device);
    laser.SetStatusMask(0x1407);

    auto transport = MakeTransport(921600, 0, true);
    ASSERT_NE(transport, nullptr);
    EXPECT_TRUE(transport->IsUsb());
    EXPECT_EQ(Calls(0).back(), "SetTimeouts 2000 2000");
    controller.AttachTransport(std::move(transport));

    KTarvexCommand command(kStatusMask, kRead);
    KTarvexCommand response;
    ASSERT_TRUE(controller.Exchange(command, response));
    EXPECT_EQ(response.GetHeader().seqnum, command.GetHeader().seqnum);
    EXPECT_EQ(be::GetU32(response.GetData()), 0x1407u);
    EXPECT_EQ(laser.Executed(kStatusMask), 1u);
    EXPECT_EQ(backend.State(0).written.size(), std::size_t{command.GetCommandLength()} + 2);
    EXPECT_EQ(controller.ConsecutiveFailures(), 0);

    // A reply held back within the 2000 ms read time-out is still good.
    InjectNext(sim::Fault::Delay, 1, 1500);
    KTarvexCommand late(kStatusMask, kRead);
    EXPECT_TRUE(controller.Exchange(late, response));
    EXPECT_EQ(clock.NowMs(), 1500u);
}

TEST_F(UsbFtdiExchange, SilentDeviceFailsTheAckOnItsSemantics) {
    backend.AddDevice(Device());
    controller.AttachTransport(MakeTransport(921600, 0, true));
    test::TraceCapture trace;

    KTarvexCommand command(kStatusMask, kRead);
    KTarvexCommand response;
    EXPECT_FALSE(controller.Exchange(command, response));
    // The short read hands twelve zero bytes to the ack check, which pass the CRC and fail on
    // the header; there is no time-out for the SDK to report.
    EXPECT_TRUE(trace.Contains("Invalid ack/nak packet received(semantics) cmdID = 0"));
    EXPECT_FALSE(trace.Contains("Timed out"));
    EXPECT_EQ(controller.ConsecutiveFailures(), 1);
    // The read time-out, then the waits around the purge that follows the failed attempt.
    EXPECT_EQ(clock.NowMs(), 2000u + 200 + 400 + 100);
    const auto calls = Calls(0);
    const auto read = std::find(calls.begin(), calls.end(), "Read 12");
    ASSERT_NE(read, calls.end());
    EXPECT_EQ(*(read + 1), "GetStatus");
}

TEST_F(UsbFtdiExchange, TheAdapterSearchTriesBothRatesAndCanBeHeldToOneAdapter) {
    auto laserAt115200 = Device();
    laserAt115200.link = &link;
    laserAt115200.onlyAtBaud = 115200;
    backend.AddDevice(Device()); // silent
    backend.AddDevice(laserAt115200);

    ASSERT_TRUE(controller.InitializeUsbAdapter());
    EXPECT_EQ(controller.ConnectedBaud(), 115200u);
    EXPECT_TRUE(backend.State(1).open);

    // Held to the silent adapter, or to one past the list, the search finds nobody.
    EXPECT_FALSE(controller.InitializeUsbAdapter(0));
    EXPECT_FALSE(controller.InitializeUsbAdapter(2));
    EXPECT_TRUE(controller.InitializeUsbAdapter(1));
}
