#pragma once

#include "Clock.h"
#include "KTarvexController.h"
#include "control/MultiSpectralList.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace tarvex::sdk {

class ExtraDevice;

// The library's globals: the one controller and the settings the exports keep between calls.
// Every export that uses them holds Mutex() for its whole run, so that the library's state and
// the exchanges of one export are never mixed with those of another thread's.
class Library {
public:
    // The galvo displacement every connection starts with.
    static constexpr std::uint16_t kDefaultGalvoDisplacement = 500;

    // `clock` paces the controller and the built-in simulated laser. The controller object is
    // created at once unless `createObject` is false.
    explicit Library(Clock& clock = SystemClock::Instance(), bool createObject = true);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    std::recursive_mutex& Mutex() { return mutex_; }
    Clock& GetClock() const { return clock_; }

    bool ObjectCreated() const { return objectCreated_.load(); }
    // Creates the controller object unless it exists.
    void CreateObject();
    // The controller; only while ObjectCreated().
    KTarvexController& Controller() { return *controller_; }

    // The device TARVEX_SDK_DEVICE names (null when it names none), made anew when the
    // variable or the machine's FTDI backend changed since the last call. The caller holds the
    // lock and no transport of the controller is open through the previous one.
    ExtraDevice* DeviceFromEnvironment();

    // Guarded by Mutex().
    std::uint16_t galvoDisplacement = kDefaultGalvoDisplacement;
    control::MultiSpectralList multiSpectral;
    // The serial port and baud rate a serial connection would use (0: not set). The USB search
    // does not consult them.
    std::uint16_t serialPort = 0;
    std::uint32_t serialBaud = 0;

private:
    Clock& clock_;
    std::recursive_mutex mutex_;
    // Declared before the controller, which may hold a transport opened through it.
    std::unique_ptr<ExtraDevice> extraDevice_;
    std::unique_ptr<KTarvexController> controller_;
    // Set with the controller and never cleared; read without the lock.
    std::atomic<bool> objectCreated_{false};
};

// The library every export works on: created with the first call that needs it, lives until the
// process ends.
Library& TheLibrary();

// Makes `library` the one the exports work on (tests start each case on a fresh one); null goes
// back to the process's own. Not to be called while exports run.
void InstallLibrary(Library* library);

} // namespace tarvex::sdk
