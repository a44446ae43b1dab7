// The Win32 serial layer through its seam: a fake communications api standing in for the COM
// port driver, with the simulated laser behind its one port. Line settings, time-outs and
// queues are read back from what the calls received.
#include "support/SimRig.h"
#include "transport/KWinComPort.h"
#include "transport/KWinSerialPort.h"
#include "transport/win32/CommApi.h"

#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <mutex>

using namespace tarvex;
using namespace tarvex::test;

namespace {

constexpr DWORD kMax = std::numeric_limits<DWORD>::max();

// One COM port, "\\.\COM7", as a driver keeps it: its settings, time-outs and receive queue.
// What the host writes goes to the laser, whose answers are queued at once.
class FakeComPort final : public CommApi {
public:
    explicit FakeComPort(sim::SimLink& link) : link_(link) {
        found.DCBlength = sizeof found;
        found.BaudRate = 1200;
        found.ByteSize = 7;
        found.Parity = MARKPARITY;
        found.fOutX = TRUE;
        found.fDtrControl = DTR_CONTROL_HANDSHAKE;
        found.XonLim = 10;
        found.EvtChar = 'x';
        dcb = found;
        timeouts = foundTimeouts;
        previous_ = SetCommApi(this);
    }
    ~FakeComPort() override { SetCommApi(previous_); }

    HANDLE Open(const std::string& device) override {
        std::lock_guard lock(mutex_);
        opened.push_back(device);
        if (device != "\\\\.\\COM7" || open)
            return INVALID_HANDLE_VALUE;
        open = true;
        return kHandle;
    }
    BOOL Close(HANDLE h) override {
        return Locked(h, [&] { open = false; });
    }
    BOOL GetState(HANDLE h, DCB& out) override {
        return Locked(h, [&] { out = dcb; });
    }
    BOOL SetState(HANDLE h, DCB& in) override {
        return Locked(h, [&] { dcb = in; });
    }
    BOOL GetTimeouts(HANDLE h, COMMTIMEOUTS& out) override {
        return Locked(h, [&] { out = timeouts; });
    }
    BOOL SetTimeouts(HANDLE h, COMMTIMEOUTS& in) override {
        return Locked(h, [&] { timeouts = in; });
    }
    BOOL SetupQueues(HANDLE h, DWORD in, DWORD out) override {
        return Locked(h, [&] { queues = {in, out}; });
    }
    BOOL Purge(HANDLE h, DWORD flags) override {
        return Locked(h, [&] {
            purges.push_back(flags);
            if (flags & PURGE_RXCLEAR)
                rx_.clear();
        });
    }
    BOOL ClearError(HANDLE h, DWORD& errors, COMSTAT& status) override {
        return Locked(h, [&] {
            errors = 0;
            status = COMSTAT{};
            status.cbInQue = static_cast<DWORD>(rx_.size());
        });
    }
    // Hands over what has arrived: the laser has always answered by the time the host reads,
    // so a read that finds nothing is one whose time-out expired.
    BOOL Read(HANDLE h, void* buffer, DWORD count, DWORD& read) override {
        return Locked(h, [&] {
            readTimeouts.push_back(timeouts);
            read = static_cast<DWORD>(std::min<std::size_t>(count, rx_.size()));
            // Without time-outs the driver waits for every byte asked for: a read that cannot
            // be served whole would never return.
            if (timeouts.ReadIntervalTimeout == 0 && timeouts.ReadTotalTimeoutConstant == 0 &&
                read < count)
                ++readsThatWouldHang;
            auto* bytes = static_cast<std::uint8_t*>(buffer);
            for (DWORD i = 0; i < read; ++i, rx_.pop_front())
                bytes[i] = rx_.front();
        });
    }
    BOOL Write(HANDLE h, const void* buffer, DWORD count, DWORD& written) override {
        return Locked(h, [&] {
            writeTimeouts.push_back(timeouts);
            const auto* bytes = static_cast<const std::uint8_t*>(buffer);
            for (const auto& output : link_.OnStreamBytes(bytes, count))
                rx_.insert(rx_.end(), output.bytes.begin(), output.bytes.end());
            written = count;
        });
    }

    static inline const HANDLE kHandle = reinterpret_cast<HANDLE>(std::intptr_t{0x7C0});
    const COMMTIMEOUTS foundTimeouts{1, 2, 3, 4, 5};
    DCB found{};
    // What the port holds now, and what the calls asked for.
    DCB dcb{};
    COMMTIMEOUTS timeouts{};
    bool open = false;
    std::pair<DWORD, DWORD> queues{0, 0};
    std::vector<std::string> opened;
    std::vector<DWORD> purges;
    std::vector<COMMTIMEOUTS> readTimeouts, writeTimeouts;
    int readsThatWouldHang = 0;

private:
    template <typename Action> BOOL Locked(HANDLE h, Action action) {
        std::lock_guard lock(mutex_);
        if (h != kHandle || !open)
            return FALSE;
        action();
        return TRUE;
    }

    sim::SimLink& link_;
    std::mutex mutex_;
    std::deque<std::uint8_t> rx_;
    CommApi* previous_ = nullptr;
};

struct ComPortRig : SimLaserRig {
    FakeComPort port{link};
};

} // namespace

TEST(Win32ComPort, OpensTheDeviceWithTheLineAskedForAndLeavesItAsFound) {
    ComPortRig rig;
    FakeComPort& fake = rig.port;
    EXPECT_EQ(KWinComPort().Open("COM3", 9600, 'N', 8, 1, true, true), -1);
    {
        KWinComPort port;
        // An unknown baud rate opens at 9600, 4 data bits as 8, 3 stop bits as one, parity 'M'
        // as none with parity checking off.
        ASSERT_EQ(port.Open("COM7", 12345, 'M', 4, 3, true, true), 0);
        EXPECT_EQ(fake.opened.back(), "\\\\.\\COM7");
        EXPECT_EQ(fake.dcb.BaudRate, 9600u);
        EXPECT_EQ(fake.dcb.ByteSize, 8);
        EXPECT_EQ(fake.dcb.StopBits, ONESTOPBIT);
        EXPECT_EQ(fake.dcb.Parity, NOPARITY);
        EXPECT_FALSE(fake.dcb.fParity);
        EXPECT_TRUE(fake.dcb.fBinary);
        EXPECT_EQ(fake.dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
        EXPECT_EQ(fake.dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
        EXPECT_FALSE(fake.dcb.fOutX || fake.dcb.fInX || fake.dcb.fOutxCtsFlow ||
                     fake.dcb.fOutxDsrFlow || fake.dcb.fDsrSensitivity || fake.dcb.fNull ||
                     fake.dcb.fErrorChar || fake.dcb.fAbortOnError || fake.dcb.fTXContinueOnXoff);
        EXPECT_EQ(fake.dcb.XonLim, 2048);
        EXPECT_EQ(fake.dcb.XoffLim, 512);
        EXPECT_EQ(fake.dcb.XonChar, 0x11);
        EXPECT_EQ(fake.dcb.XoffChar, 0x13);
        EXPECT_EQ(fake.dcb.EvtChar, 0);
        EXPECT_EQ(fake.queues, std::make_pair(DWORD{4096}, DWORD{4096}));
        EXPECT_EQ(fake.purges.back(), static_cast<DWORD>(PURGE_TXCLEAR | PURGE_RXCLEAR));

        // A second open of the same object closes the port first, putting its settings back.
        ASSERT_EQ(port.Open("COM7", 115200, 'E', 7, 2, false, false), 0);
        EXPECT_EQ(fake.dcb.BaudRate, 115200u);
        EXPECT_EQ(fake.dcb.ByteSize, 7);
        EXPECT_EQ(fake.dcb.Parity, EVENPARITY);
        EXPECT_TRUE(fake.dcb.fParity);
        EXPECT_EQ(fake.dcb.StopBits, TWOSTOPBITS);
        EXPECT_EQ(fake.dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
        EXPECT_EQ(fake.dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
        EXPECT_EQ(port.GetHandle(), reinterpret_cast<std::intptr_t>(FakeComPort::kHandle));
    }
    EXPECT_FALSE(fake.open);
    EXPECT_EQ(fake.dcb.BaudRate, fake.found.BaudRate);
    EXPECT_EQ(fake.dcb.Parity, fake.found.Parity);
    EXPECT_EQ(fake.dcb.EvtChar, fake.found.EvtChar);
    EXPECT_EQ(fake.timeouts.ReadTotalTimeoutConstant, fake.foundTimeouts.ReadTotalTimeoutConstant);
    EXPECT_EQ(fake.timeouts.WriteTotalTimeoutConstant,
              fake.foundTimeouts.WriteTotalTimeoutConstant);
}

TEST(Win32ComPort, ControllerFindsTheLaserAndEveryByteWaitsItsOwnTimeout) {
    ComPortRig rig;
    KTarvexController controller(ControllerProfile::Panel(), &rig.clock);
    controller.SetComPort("COM7");
    controller.SetProbeTimeoutMs(500);
    ASSERT_TRUE(controller.Initialize());
    controller.StopHeartbeat();
    EXPECT_EQ(controller.ConnectedPort(), "COM7");
    EXPECT_EQ(controller.ConnectedBaud(), 921600u);
    EXPECT_TRUE(controller.ReadWriteAdminParams(false));
    EXPECT_EQ(controller.SerialNumber(), rig.laser.Profile().serialNumber);

    // Each read hands over what has come and waits for the next byte at most the read time-out
    // plus the per-byte multiplier (the probe's 500 ms, then the panel's own); none waits for
    // the whole count without a limit.
    ASSERT_FALSE(rig.port.readTimeouts.empty());
    EXPECT_EQ(rig.port.readTimeouts.front().ReadTotalTimeoutConstant, 510u);
    for (const COMMTIMEOUTS& t : rig.port.readTimeouts) {
        EXPECT_EQ(t.ReadIntervalTimeout, kMax);
        EXPECT_EQ(t.ReadTotalTimeoutMultiplier, kMax);
        EXPECT_EQ(t.ReadTotalTimeoutConstant % 10, 0u);
    }
    EXPECT_EQ(rig.port.readsThatWouldHang, 0);

    // A laser that stays silent fails the exchange; the next one goes through.
    rig.InjectNext(sim::Fault::Silent);
    EXPECT_FALSE(StatusExchange(controller));
    EXPECT_TRUE(StatusExchange(controller));
}

TEST(Win32SdkSerialPort, TableEntryOpensEightNoneOneAndReadsWithinTheTotalTimeout) {
    ComPortRig rig;
    KWinSerialPort::SetPortTable({"COM7"});
    {
        auto port = std::make_unique<KWinSerialPort>();
        ASSERT_TRUE(port->Open(0, 115200));
        EXPECT_EQ(rig.port.dcb.BaudRate, 115200u);
        EXPECT_EQ(rig.port.dcb.ByteSize, 8);
        EXPECT_EQ(rig.port.dcb.Parity, NOPARITY);
        EXPECT_EQ(rig.port.dcb.StopBits, ONESTOPBIT);
        port->SetTimeouts(2000, 2000);

        KTarvexController controller(ControllerProfile::Sdk(), &rig.clock);
        controller.AttachTransport(std::move(port));
        EXPECT_TRUE(StatusExchange(controller));
        // The ack's 12 bytes within 10 ms a byte plus 2000 ms; the 20-byte command within 1 ms a
        // byte plus 2000 ms.
        ASSERT_FALSE(rig.port.readTimeouts.empty());
        EXPECT_EQ(rig.port.readTimeouts.front().ReadTotalTimeoutMultiplier, kMax);
        EXPECT_LE(rig.port.readTimeouts.front().ReadTotalTimeoutConstant, 2120u);
        EXPECT_GT(rig.port.readTimeouts.front().ReadTotalTimeoutConstant, 2000u);
        EXPECT_EQ(rig.port.writeTimeouts.back().WriteTotalTimeoutConstant, 20u + 2000u);
        EXPECT_EQ(rig.port.readsThatWouldHang, 0);
    }
    EXPECT_FALSE(rig.port.open);
    KWinSerialPort::SetPortTable({});
}
