#include "transport/SerialPortList.h"

#include <windows.h>

#include <setupapi.h>

#include <vector>

namespace tarvex {
namespace {

// The device-setup interface lists at most this many devices per class.
constexpr DWORD kMaxDevices = 100;
// A friendly name is read into 520 bytes of UTF-16, terminator included.
constexpr DWORD kFriendlyNameChars = 260;

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back(); // the terminator
    return utf8;
}

void ListClass(const GUID& guid, std::vector<SerialPortInfo>& ports) {
    HDEVINFO devices = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    for (DWORD index = 0; index < kMaxDevices; ++index) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!SetupDiEnumDeviceInfo(devices, index, &device))
            break;
        wchar_t name[kFriendlyNameChars] = {};
        DWORD type = 0;
        // One character short of the buffer, so that even a name without its terminator ends.
        if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, &type,
                                               reinterpret_cast<BYTE*>(name),
                                               sizeof name - sizeof name[0], nullptr) ||
            type != REG_SZ)
            continue;
        SerialPortInfo info;
        // Windows names the port only inside the friendly name: "USB Serial Port (COM3)".
        info.friendlyName = Utf8(name);
        if (!info.friendlyName.empty())
            ports.push_back(std::move(info));
    }
    SetupDiDestroyDeviceInfoList(devices);
}

} // namespace

std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports;
    DWORD count = 0;
    SetupDiClassGuidsFromNameW(L"Ports", nullptr, 0, &count);
    if (count == 0)
        return ports;
    std::vector<GUID> classes(count);
    if (!SetupDiClassGuidsFromNameW(L"Ports", classes.data(), count, &count))
        return ports;
    classes.resize(std::min<std::size_t>(count, classes.size()));
    for (const GUID& guid : classes)
        ListClass(guid, ports);
    return ports;
}

} // namespace tarvex
