// The Win32 pieces that need no port: the USB driver library loaded at run time (a fake of it is
// built beside the tests), and the trace's debugger output, read the way a debug viewer does.
#include "Trace.h"
#include "transport/KWinUsbFtdi.h"
#include "transport/MakeTransport.h"
#include "transport/win32/D2xxLibrary.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace tarvex;
using testing::ElementsAre;

namespace {

// The lines of the fake driver's call log since the last look.
std::vector<std::string> TakeDriverLog() {
    using TakeLog = const char* (*)();
    HMODULE fake = GetModuleHandleW(L"FTD2XX.dll");
    if (fake == nullptr)
        return {};
    auto take = reinterpret_cast<TakeLog>(
        reinterpret_cast<void (*)()>(GetProcAddress(fake, "FakeD2xx_TakeLog")));
    std::vector<std::string> lines;
    std::string line;
    for (const char* c = take(); *c != '\0'; ++c) {
        if (*c == '\n')
            lines.push_back(std::exchange(line, {}));
        else
            line += *c;
    }
    return lines;
}

class UsbDriver : public testing::Test {
protected:
    explicit UsbDriver(const wchar_t* name = D2xxLibrary::kDefaultName) : library(name) {
        previous_ = SetFtdiApi(&library);
    }
    ~UsbDriver() override { SetFtdiApi(previous_); }

    D2xxLibrary library;

private:
    FtdiApi* previous_ = nullptr;
};

struct AbsentUsbDriver : UsbDriver {
    AbsentUsbDriver() : UsbDriver(L"FTD2XX-absent.dll") {}
};

struct IncompleteUsbDriver : UsbDriver {
    IncompleteUsbDriver() : UsbDriver(L"FTD2XX-incomplete.dll") {}
};

} // namespace

TEST_F(UsbDriver, LaserAdapterOpensThroughTheLibraryInTheOrderItsSetupNeeds) {
    ASSERT_TRUE(library.Installed());
    TakeDriverLog();
    KWinUsbFtdi ftdi;
    ASSERT_EQ(KWinUsbFtdi::GetDeviceCount(), 2);
    const auto nodes = KWinUsbFtdi::GetDeviceList();
    EXPECT_STREQ(nodes[0].description, "Tarvex");
    EXPECT_STREQ(nodes[0].serialNumber, "TX000123");
    EXPECT_EQ(nodes[1].id, 0x04036015u);

    EXPECT_FALSE(ftdi.Open(921600, 1, false)); // another product
    ASSERT_TRUE(ftdi.Open(921600, 0, true));
    EXPECT_THAT(TakeDriverLog(),
                ElementsAre("CreateDeviceInfoList", "Open 0", "SetBaudRate 921600",
                            "SetDataCharacteristics 8 0 0", "SetFlowControl 0x0100 0x11 0x13",
                            "SetLatencyTimer 2", "SetTimeouts 1000 1000"));

    const std::uint8_t packet[] = {0, 0, 3, 1, 0, 7, 0, 0, 0, 10};
    EXPECT_EQ(ftdi.SendByteList(packet, sizeof packet), sizeof packet);
    EXPECT_EQ(ftdi.BytesAvailable(), sizeof packet);
    std::uint8_t back[4] = {};
    EXPECT_EQ(ftdi.ReadByteList(back, sizeof back), sizeof back);
    EXPECT_THAT(back, ElementsAre(0, 0, 3, 1));
    EXPECT_EQ(ftdi.Purge(), 0);
    EXPECT_EQ(ftdi.BytesAvailable(), 0u);
    ftdi.Close();
    EXPECT_THAT(TakeDriverLog(), ElementsAre("Close"));
}

TEST_F(AbsentUsbDriver, EveryCallSaysTheDriverIsNotInstalled) {
    EXPECT_FALSE(library.Installed());
    std::uint32_t count = 7, rx = 0, tx = 0, events = 0, moved = 0;
    FtdiHandle handle = nullptr;
    std::uint8_t byte = 0;
    EXPECT_EQ(library.CreateDeviceInfoList(count), kFtDriverNotInstalled);
    EXPECT_EQ(library.Open(0, handle), kFtDriverNotInstalled);
    EXPECT_EQ(library.GetStatus(handle, rx, tx, events), kFtDriverNotInstalled);
    EXPECT_EQ(library.Read(handle, &byte, 1, moved), kFtDriverNotInstalled);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(library.Close(handle), kFtDriverNotInstalled);

    // The SDK's transport: no devices, nothing opens, nothing breaks.
    EXPECT_EQ(KWinUsbFtdi::RefreshDeviceList(), kFtDriverNotInstalled);
    EXPECT_EQ(KWinUsbFtdi::GetDeviceCount(), 0);
    EXPECT_EQ(MakeTransport(921600, 0, true), nullptr);
}

TEST_F(IncompleteUsbDriver, ALibraryLackingACallCountsAsNotInstalled) {
    EXPECT_FALSE(library.Installed());
    std::uint32_t count = 0;
    EXPECT_EQ(library.CreateDeviceInfoList(count), kFtDriverNotInstalled);
}

namespace {

// Reads the debugger output as a debug viewer does: through the shared buffer that the
// debug-output call fills while the buffer-ready event is set. Keeps this process's lines.
class DebugOutputReader {
public:
    DebugOutputReader() {
        ready_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
        data_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
        mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                      L"DBWIN_BUFFER");
        view_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096));
        thread_ = std::thread([this] { Run(); });
    }
    ~DebugOutputReader() {
        stop_ = true;
        thread_.join();
        UnmapViewOfFile(view_);
        for (HANDLE h : {mapping_, data_, ready_})
            CloseHandle(h);
    }
    // The lines so far, once there are `count` of them or five seconds passed.
    std::vector<std::string> Lines(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return lines_.size() >= count; });
        return lines_;
    }

private:
    void Run() {
        while (!stop_) {
            SetEvent(ready_);
            if (WaitForSingleObject(data_, 20) != WAIT_OBJECT_0)
                continue;
            const DWORD pid = *reinterpret_cast<const DWORD*>(view_);
            if (pid == GetCurrentProcessId()) {
                std::lock_guard lock(mutex_);
                lines_.emplace_back(view_ + sizeof(DWORD));
                arrived_.notify_all();
            }
        }
    }

    HANDLE ready_ = nullptr, data_ = nullptr, mapping_ = nullptr;
    const char* view_ = nullptr;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::string> lines_;
    std::thread thread_;
};

} // namespace

TEST(DebugOutput, TraceLinesReachTheDebuggerWithTheirLineEnding) {
    ASSERT_TRUE(TraceEnabled());
    DebugOutputReader reader;
    Trace("[%s] first %d", "Win32Test::Trace", 1);
    Trace("second");
    EXPECT_THAT(reader.Lines(2), ElementsAre("[Win32Test::Trace] first 1\r\n", "second\r\n"));
}
