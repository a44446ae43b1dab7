// A stand-in for the USB adapter's driver library, built as a DLL of the same name beside the
// tests: two adapters, the first the laser's, whose bytes come back as written (a loopback
// plug), and a log of the calls made. Built without FT_Close it is a library that lacks one.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

namespace {

struct Node { // the driver's device-information node
    ULONG flags, type, id, locId;
    char serialNumber[16];
    char description[64];
    void* handle;
};

int device = 0; // its address is the one handle
bool opened = false;
std::deque<unsigned char> loop;
std::string log;

void Log(const char* format, ...) {
    char line[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    log += line;
    log += '\n';
}

bool Valid(void* handle) {
    return opened && handle == &device;
}

} // namespace

#define EXPORT extern "C" __declspec(dllexport) ULONG WINAPI

EXPORT FT_CreateDeviceInfoList(DWORD* count) {
    Log("CreateDeviceInfoList");
    *count = 2;
    return 0;
}

EXPORT FT_GetDeviceInfoList(Node* nodes, DWORD* count) {
    if (*count < 2)
        return 6;
    Node laser{opened ? 1ul : 0ul, 5, 0x04036001, 0x0104, "TX000123", "Tarvex", nullptr};
    Node other{0, 5, 0x04036015, 0x0105, "X1", "USB Serial Converter", nullptr};
    nodes[0] = laser;
    nodes[1] = other;
    *count = 2;
    return 0;
}

EXPORT FT_Open(int index, void** handle) {
    Log("Open %d", index);
    if (index != 0 || opened)
        return 3;
    opened = true;
    *handle = &device;
    return 0;
}

EXPORT FT_SetBaudRate(void* handle, ULONG baud) {
    Log("SetBaudRate %lu", baud);
    return Valid(handle) ? 0 : 1;
}

EXPORT FT_SetDataCharacteristics(void* handle, UCHAR bits, UCHAR stop, UCHAR parity) {
    Log("SetDataCharacteristics %u %u %u", bits, stop, parity);
    return Valid(handle) ? 0 : 1;
}

EXPORT FT_SetFlowControl(void* handle, USHORT mode, UCHAR xon, UCHAR xoff) {
    Log("SetFlowControl 0x%04x 0x%02x 0x%02x", mode, xon, xoff);
    return Valid(handle) ? 0 : 1;
}

EXPORT FT_SetLatencyTimer(void* handle, UCHAR ms) {
    Log("SetLatencyTimer %u", ms);
    return Valid(handle) ? 0 : 1;
}

EXPORT FT_SetTimeouts(void* handle, ULONG readMs, ULONG writeMs) {
    Log("SetTimeouts %lu %lu", readMs, writeMs);
    return Valid(handle) ? 0 : 1;
}

EXPORT FT_GetStatus(void* handle, DWORD* rx, DWORD* tx, DWORD* events) {
    if (!Valid(handle))
        return 1;
    *rx = static_cast<DWORD>(loop.size());
    *tx = 0;
    *events = 0;
    return 0;
}

EXPORT FT_Read(void* handle, void* buffer, DWORD count, DWORD* read) {
    *read = 0;
    if (!Valid(handle))
        return 1;
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (; *read < count && !loop.empty(); ++*read, loop.pop_front())
        bytes[*read] = loop.front();
    return 0;
}

EXPORT FT_Write(void* handle, void* buffer, DWORD count, DWORD* written) {
    *written = 0;
    if (!Valid(handle))
        return 1;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    loop.insert(loop.end(), bytes, bytes + count);
    *written = count;
    return 0;
}

#ifndef FAKE_D2XX_WITHOUT_CLOSE
EXPORT FT_Close(void* handle) {
    Log("Close");
    if (!Valid(handle))
        return 1;
    opened = false;
    loop.clear();
    return 0;
}
#endif

// For the tests: the calls made since the last look, one a line.
extern "C" __declspec(dllexport) const char* FakeD2xx_TakeLog() {
    static std::string taken;
    taken = log;
    log.clear();
    return taken.c_str();
}
