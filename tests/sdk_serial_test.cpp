// The SDK's transports over pseudo-terminals: the serial port table, and the built-in FTDI
// backend with a pseudo-terminal standing in for the adapter's tty. Reads here only ever wait
// for bytes already sent.
#include "transport/ComPortEnumeration.h"
#include "transport/FtdiSerialBackend.h"
#include "transport/KWinSerialPort.h"
#include "transport/KWinUsbFtdi.h"
#include "transport/MakeTransport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace tarvex;
using testing::ElementsAre;

namespace {

// The far end of a pseudo-terminal; `path` is the end the transport opens.
class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            path = ptsname(master_);
    }
    ~Pty() {
        if (master_ >= 0)
            ::close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    void Send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the transport wrote: waits for `count` bytes, at most a second.
    std::vector<std::uint8_t> Receive(std::size_t count) {
        std::vector<std::uint8_t> bytes;
        while (bytes.size() < count) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 1000) <= 0)
                break;
            std::uint8_t buffer[256];
            ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }
    // The line settings of the transport's end.
    termios Settings() const {
        termios tio{};
        tcgetattr(master_, &tio);
        return tio;
    }

    std::string path;

private:
    int master_ = -1;
};

const std::vector<std::uint8_t> kPacket = {0xA5, 0x00, 0x03, 0x01, 0x00, 0x07, 0x0D, 0x0A};

class SerialPortTable : public testing::Test {
protected:
    ~SerialPortTable() override { KWinSerialPort::SetPortTable({}); }
};

} // namespace

// --- KWinSerialPort --------------------------------------------------------------------------

TEST_F(SerialPortTable, MovesBytesBothWays) {
    Pty pty;
    KWinSerialPort::SetPortTable({pty.path});
    KWinSerialPort port;
    ASSERT_TRUE(port.Open(0, 115200));
    EXPECT_EQ(port.Index(), 0);
    const termios tio = pty.Settings();
    EXPECT_EQ(cfgetospeed(&tio), B115200);
    port.SetTimeouts(2000, 2000);

    EXPECT_EQ(port.SendByteList(kPacket.data(), kPacket.size()), kPacket.size());
    EXPECT_EQ(pty.Receive(kPacket.size()), kPacket); // binary: no line ending translated

    pty.Send(kPacket);
    std::vector<std::uint8_t> reply(kPacket.size());
    EXPECT_EQ(port.ReadByteList(reply.data(), reply.size()), reply.size());
    EXPECT_EQ(reply, kPacket);
    EXPECT_EQ(port.Purge(), 0);
    EXPECT_EQ(port.BytesAvailable(), 0u);

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.SendByteList(kPacket.data(), kPacket.size()), 0u);

    // The SDK builds the same port for a transport that is not USB.
    auto transport = MakeTransport(115200, 0, false);
    ASSERT_NE(transport, nullptr);
    EXPECT_FALSE(transport->IsUsb());
    EXPECT_EQ(MakeTransport(115200, 1, false), nullptr);
}

TEST_F(SerialPortTable, AnEmptyTableIsFilledFromThePortsPresentAndBadPortsAreRefused) {
    KWinSerialPort::SetPortTable({});
    KWinSerialPort port;
    EXPECT_FALSE(port.Open(1000, 115200));
    std::vector<std::string> present;
    for (const auto& entry : EnumerateComPorts())
        present.push_back(entry.name);
    EXPECT_EQ(KWinSerialPort::PortNames(), present);

    Pty pty;
    KWinSerialPort::SetPortTable({"/dev/null", "/nonexistent/ttyUSB9", pty.path});
    EXPECT_FALSE(port.Open(-1, 115200));
    EXPECT_FALSE(port.Open(3, 115200));
    EXPECT_FALSE(port.Open(0, 115200)); // not a serial device
    EXPECT_FALSE(port.Open(1, 115200));
    EXPECT_FALSE(port.Open(2, 12345)); // a rate the line cannot take
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Index(), -1);
    std::uint8_t bytes[4] = {};
    EXPECT_EQ(port.SendByteList(bytes, 4), 0u);
    EXPECT_EQ(port.ReadByteList(bytes, 4), 0u);
    EXPECT_TRUE(port.Open(2, 115200));
}

TEST_F(SerialPortTable, RefreshKeepsEachPortWithItsDevice) {
    Pty first, second;
    KWinSerialPort::SetPortTable({first.path});
    KWinSerialPort port;
    ASSERT_TRUE(port.Open(0, 115200));

    // The port moves to another index but stays open on the same device.
    KWinSerialPort::SetPortTable({second.path, first.path});
    EXPECT_THAT(KWinSerialPort::PortNames(), ElementsAre(second.path, first.path));
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.SendByteList(kPacket.data(), kPacket.size()), kPacket.size());
    EXPECT_EQ(first.Receive(kPacket.size()), kPacket);

    // Gone from the table: closed.
    KWinSerialPort::SetPortTable({second.path});
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.SendByteList(kPacket.data(), kPacket.size()), 0u);
}

// --- The built-in FTDI backend ---------------------------------------------------------------

namespace {

SerialPortInfo Usb(const std::string& path, std::uint16_t vid, std::uint16_t pid,
                   std::string product, std::string serial = {}) {
    SerialPortInfo info;
    info.name = path;
    info.friendlyName = product + " (" + path + ")";
    info.isUsb = true;
    info.usbVendorId = vid;
    info.usbProductId = pid;
    info.usbProduct = std::move(product);
    info.usbSerial = std::move(serial);
    info.usbLocation = 0x0104;
    return info;
}

class SerialFtdiBackend : public testing::Test {
protected:
    SerialFtdiBackend()
        : backend([this] {
              SerialPortInfo onBoard;
              onBoard.name = other.path;
              onBoard.friendlyName = "ttyS0 (" + other.path + ")";
              return std::vector<SerialPortInfo>{
                  onBoard, Usb(other.path, 0x0403, 0x6015, "Tarvex"),
                  Usb(other.path, 0x067B, 0x2303, "Tarvex"),
                  Usb(adapter.path, 0x0403, 0x6001, "Tarvex", "TX000123")};
          }) {}

    Pty adapter, other;
    FtdiSerialBackend backend;
};

} // namespace

TEST_F(SerialFtdiBackend, ListsOnlyTheLaserAdapterModel) {
    std::uint32_t count = 0;
    ASSERT_EQ(backend.CreateDeviceInfoList(count), kFtOk);
    ASSERT_EQ(count, 1u);
    FtdiDeviceInfoNode node;
    ASSERT_EQ(backend.GetDeviceInfoList(&node, count), kFtOk);
    EXPECT_EQ(node.id, 0x04036001u);
    EXPECT_STREQ(node.description, "Tarvex");
    EXPECT_STREQ(node.serialNumber, "TX000123");
    EXPECT_EQ(node.locId, 0x0104u);
    EXPECT_EQ(node.flags, 0u);

    FtdiHandle handle = nullptr;
    ASSERT_EQ(backend.Open(0, handle), kFtOk);
    ASSERT_EQ(backend.GetDeviceInfoList(&node, count), kFtOk);
    EXPECT_EQ(node.flags, kFtFlagOpened);
    EXPECT_EQ(node.handle, handle);
    // One handle per adapter at a time.
    FtdiHandle second = nullptr;
    EXPECT_NE(backend.Open(0, second), kFtOk);
    EXPECT_NE(backend.Open(1, second), kFtOk);
    EXPECT_EQ(backend.Close(handle), kFtOk);
    EXPECT_EQ(backend.Close(handle), kFtInvalidHandle);
    EXPECT_EQ(backend.Open(0, second), kFtOk);
    EXPECT_EQ(backend.Close(second), kFtOk);
}

TEST_F(SerialFtdiBackend, SettingsReachTheLine) {
    std::uint32_t count = 0;
    backend.CreateDeviceInfoList(count);
    FtdiHandle handle = nullptr;
    ASSERT_EQ(backend.Open(0, handle), kFtOk);

    EXPECT_EQ(backend.SetBaudRate(handle, 921600), kFtOk);
    EXPECT_EQ(backend.SetDataCharacteristics(handle, kFtBits7, kFtStopBits2, kFtParityEven), kFtOk);
    EXPECT_EQ(backend.SetFlowControl(handle, kFtFlowRtsCts, 0x11, 0x13), kFtOk);
    // A pseudo-terminal always carries 8 bits without parity; the rest shows.
    termios tio = adapter.Settings();
    EXPECT_EQ(cfgetospeed(&tio), B921600);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);

    // What a serial line cannot do is refused and leaves the line as it was.
    EXPECT_EQ(backend.SetBaudRate(handle, 12345), kFtInvalidBaudRate);
    EXPECT_EQ(backend.SetDataCharacteristics(handle, 6, kFtStopBits1, kFtParityNone),
              kFtInvalidParameter);
    EXPECT_EQ(backend.SetDataCharacteristics(handle, kFtBits8, kFtStopBits1, 3),
              kFtInvalidParameter);
    EXPECT_EQ(backend.SetFlowControl(handle, 0x0400, 0x11, 0x13), kFtInvalidParameter);
    tio = adapter.Settings();
    EXPECT_EQ(cfgetospeed(&tio), B921600);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);

    // A pseudo-terminal has no latency timer to set.
    EXPECT_NE(backend.SetLatencyTimer(handle, 2), kFtOk);
    EXPECT_EQ(backend.Close(handle), kFtOk);

    FtdiHandle stale = handle;
    std::uint32_t rx = 0, tx = 0, events = 0, moved = 0;
    std::uint8_t byte = 0;
    EXPECT_EQ(backend.SetBaudRate(stale, 9600), kFtInvalidHandle);
    EXPECT_EQ(backend.SetTimeouts(stale, 10, 10), kFtInvalidHandle);
    EXPECT_EQ(backend.GetStatus(stale, rx, tx, events), kFtInvalidHandle);
    EXPECT_EQ(backend.Read(stale, &byte, 1, moved), kFtInvalidHandle);
    EXPECT_EQ(backend.Write(stale, &byte, 1, moved), kFtInvalidHandle);
}

TEST_F(SerialFtdiBackend, CarriesTheUsbTransport) {
    FtdiApi* previous = SetFtdiApi(&backend);
    {
        KWinUsbFtdi ftdi;
        ASSERT_EQ(KWinUsbFtdi::GetDeviceCount(), 1);
        // The latency timer cannot be set here; the open goes ahead regardless.
        ASSERT_TRUE(ftdi.Open(115200, 0, true));
        const termios tio = adapter.Settings();
        EXPECT_EQ(cfgetospeed(&tio), B115200);
        EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
        EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);

        EXPECT_EQ(ftdi.SendByteList(kPacket.data(), kPacket.size()), kPacket.size());
        EXPECT_EQ(adapter.Receive(kPacket.size()), kPacket);

        adapter.Send({1, 2, 3, 4, 5});
        std::uint8_t bytes[2] = {};
        ASSERT_EQ(ftdi.ReadByteList(bytes, 2), 2u);
        EXPECT_THAT(bytes, ElementsAre(1, 2));
        EXPECT_EQ(ftdi.BytesAvailable(), 3u);
        EXPECT_EQ(ftdi.Purge(), 0);
        EXPECT_EQ(ftdi.BytesAvailable(), 0u);
    }
    SetFtdiApi(previous);
    EXPECT_EQ(&GetFtdiApi(), previous ? previous : &BuiltInFtdiApi());
}
