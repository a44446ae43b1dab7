#include "transport/SerialDevice.h"
#include "transport/win32/CommApi.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

namespace tarvex {
namespace {

// Recommended driver queues: room for several of the largest packets (1017 bytes).
constexpr DWORD kQueueBytes = 4096;
// Flow-control thresholds of the input queue, for a line that ever turns handshaking on.
constexpr WORD kXonLimit = 2048;
constexpr WORD kXoffLimit = 512;
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

using SteadyClock = std::chrono::steady_clock;

DWORD RemainingMs(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() <= 0 ? 0 : static_cast<DWORD>(left.count());
}

DWORD Clamp32(std::size_t value) {
    return static_cast<DWORD>(std::min<std::size_t>(value, std::numeric_limits<DWORD>::max()));
}

bool SameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

// A COM port handle. The line settings and time-outs found at open are put back at close, so
// that the port is left to the next program as this one found it.
class Win32SerialDevice final : public SerialDevice {
public:
    Win32SerialDevice(CommApi& api, HANDLE handle) : api_(api), handle_(handle) {
        savedDcb_.DCBlength = sizeof savedDcb_;
        haveSavedDcb_ = api_.GetState(handle_, savedDcb_) != FALSE;
        haveSavedTimeouts_ = api_.GetTimeouts(handle_, savedTimeouts_) != FALSE;
        api_.SetupQueues(handle_, kQueueBytes, kQueueBytes);
    }
    ~Win32SerialDevice() override {
        if (haveSavedDcb_)
            api_.SetState(handle_, savedDcb_);
        if (haveSavedTimeouts_)
            api_.SetTimeouts(handle_, savedTimeouts_);
        api_.Close(handle_);
    }
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

    bool Configure(const SerialLineSettings& s) override {
        if (!IsSupportedBaud(s.baud))
            return false;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!api_.GetState(handle_, dcb))
            return false;
        const bool parity = s.parity == 'E' || s.parity == 'O';
        dcb.DCBlength = sizeof dcb;
        dcb.BaudRate = s.baud;
        dcb.fBinary = TRUE;
        dcb.fParity = parity ? TRUE : FALSE;
        dcb.fOutxCtsFlow = s.rtsCtsFlow ? TRUE : FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = s.dtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fTXContinueOnXoff = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = s.rtsCtsFlow ? RTS_CONTROL_HANDSHAKE
                          : s.rtsOn    ? RTS_CONTROL_ENABLE
                                       : RTS_CONTROL_DISABLE;
        dcb.fAbortOnError = FALSE;
        dcb.XonLim = kXonLimit;
        dcb.XoffLim = kXoffLimit;
        dcb.ByteSize = static_cast<BYTE>(s.dataBits >= 5 && s.dataBits <= 8 ? s.dataBits : 8);
        dcb.Parity = s.parity == 'E' ? EVENPARITY : s.parity == 'O' ? ODDPARITY : NOPARITY;
        dcb.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
        dcb.XonChar = kXon;
        dcb.XoffChar = kXoff;
        dcb.ErrorChar = 0;
        dcb.EofChar = 0;
        dcb.EvtChar = 0;
        return api_.SetState(handle_, dcb) != FALSE;
    }

    std::size_t Read(std::uint8_t* bytes, std::size_t count, SerialReadLimits limits) override {
        constexpr DWORD kMax = std::numeric_limits<DWORD>::max();
        std::size_t got = 0;
        const auto totalDeadline = SteadyClock::now() + std::chrono::milliseconds(limits.totalMs);
        while (got < count) {
            const std::uint32_t phaseMs = got == 0 ? limits.firstByteMs : limits.interByteMs;
            COMMTIMEOUTS t = current_;
            if (phaseMs == 0 && limits.totalMs == 0) {
                // No limit: the call returns once everything asked for has come.
                t.ReadIntervalTimeout = 0;
                t.ReadTotalTimeoutMultiplier = 0;
                t.ReadTotalTimeoutConstant = 0;
            } else {
                DWORD wait = limits.totalMs != 0 ? RemainingMs(totalDeadline) : kMax - 1;
                if (phaseMs != 0)
                    wait = std::min<DWORD>(wait, phaseMs);
                // With both MAXDWORD the call hands over what has arrived at once, else waits
                // for the first byte at most the constant; a constant of 0 does not wait.
                t.ReadIntervalTimeout = kMax;
                t.ReadTotalTimeoutMultiplier = wait == 0 ? 0 : kMax;
                t.ReadTotalTimeoutConstant = wait;
            }
            if (!Apply(t))
                break;
            DWORD n = 0;
            if (!api_.Read(handle_, bytes + got, Clamp32(count - got), n) || n == 0)
                break;
            got += n;
        }
        return got;
    }

    std::size_t Write(const std::uint8_t* bytes, std::size_t count,
                      std::uint32_t timeoutMs) override {
        COMMTIMEOUTS t = current_;
        t.WriteTotalTimeoutMultiplier = 0;
        t.WriteTotalTimeoutConstant = timeoutMs;
        if (!Apply(t))
            return 0;
        // One call: it returns once all bytes are queued or the time-out expired.
        DWORD sent = 0;
        api_.Write(handle_, bytes, Clamp32(count), sent);
        return sent;
    }

    bool Purge() override { return api_.Purge(handle_, PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE; }

    std::size_t BytesAvailable() override {
        DWORD errors = 0;
        COMSTAT status{};
        return api_.ClearError(handle_, errors, status) ? status.cbInQue : 0;
    }

    std::intptr_t Handle() const override { return reinterpret_cast<std::intptr_t>(handle_); }

    // The adapter's latency timer is a setting of its driver, not of the COM port.
    bool SetLatencyTimer(std::uint8_t) override { return false; }

private:
    // Sets the port's time-outs when they differ from those in force.
    bool Apply(COMMTIMEOUTS& timeouts) {
        if (timeoutsKnown_ && SameTimeouts(timeouts, current_))
            return true;
        if (!api_.SetTimeouts(handle_, timeouts))
            return false;
        current_ = timeouts;
        timeoutsKnown_ = true;
        return true;
    }

    CommApi& api_;
    HANDLE handle_;
    DCB savedDcb_{};
    COMMTIMEOUTS savedTimeouts_{};
    bool haveSavedDcb_ = false;
    bool haveSavedTimeouts_ = false;
    COMMTIMEOUTS current_{}; // in force on the port, once timeoutsKnown_
    bool timeoutsKnown_ = false;
};

} // namespace

bool IsSupportedBaud(std::uint32_t baud) {
    static constexpr std::uint32_t kRates[] = {300,   600,   1200,   2400,   4800,   9600,  19200,
                                               38400, 57600, 115200, 230400, 460800, 921600};
    return std::find(std::begin(kRates), std::end(kRates), baud) != std::end(kRates);
}

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name) {
    // "COM10" and above open only through the device namespace, and "COM3" through it as well.
    const std::string device = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
    CommApi& api = GetCommApi();
    HANDLE handle = api.Open(device);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return nullptr;
    return std::make_unique<Win32SerialDevice>(api, handle);
}

} // namespace tarvex
