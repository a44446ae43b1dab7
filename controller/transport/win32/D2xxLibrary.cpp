#include "transport/win32/D2xxLibrary.h"

#include "Trace.h"

#include <windows.h>

namespace tarvex {

// The driver's calls, declared here from their documented parameters. Every one returns a
// status of which only 0 (success) is relied upon.
using D2xxStatus = ULONG;
using D2xxHandle = void*;

struct D2xxLibrary::Functions {
    D2xxStatus(WINAPI* createDeviceInfoList)(DWORD* count);
    D2xxStatus(WINAPI* getDeviceInfoList)(FtdiDeviceInfoNode* nodes, DWORD* count);
    D2xxStatus(WINAPI* open)(int index, D2xxHandle* handle);
    D2xxStatus(WINAPI* setBaudRate)(D2xxHandle handle, ULONG baud);
    D2xxStatus(WINAPI* setDataCharacteristics)(D2xxHandle handle, UCHAR wordLength, UCHAR stopBits,
                                               UCHAR parity);
    D2xxStatus(WINAPI* setFlowControl)(D2xxHandle handle, USHORT mode, UCHAR xon, UCHAR xoff);
    D2xxStatus(WINAPI* setLatencyTimer)(D2xxHandle handle, UCHAR ms);
    D2xxStatus(WINAPI* setTimeouts)(D2xxHandle handle, ULONG readMs, ULONG writeMs);
    D2xxStatus(WINAPI* getStatus)(D2xxHandle handle, DWORD* rxQueue, DWORD* txQueue,
                                  DWORD* eventStatus);
    D2xxStatus(WINAPI* read)(D2xxHandle handle, void* buffer, DWORD count, DWORD* read);
    D2xxStatus(WINAPI* write)(D2xxHandle handle, void* buffer, DWORD count, DWORD* written);
    D2xxStatus(WINAPI* close)(D2xxHandle handle);
};

namespace {

template <typename Function> bool Find(HMODULE module, const char* name, Function& function) {
    const FARPROC found = GetProcAddress(module, name);
    if (found == nullptr) {
        Trace("[%s] The USB driver library lacks %s", "D2xxLibrary::Load", name);
        return false;
    }
    // Through the generic function pointer type, the one cast the compiler takes as deliberate.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
    return true;
}

// The driver's own failure codes have no meaning here beyond failure.
FtdiStatus Status(D2xxStatus status) {
    return status == 0 ? kFtOk : kFtOtherError;
}

} // namespace

D2xxLibrary::D2xxLibrary(std::wstring name) : name_(std::move(name)) {}

D2xxLibrary::~D2xxLibrary() {
    if (module_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(module_));
}

const D2xxLibrary::Functions* D2xxLibrary::Library() {
    std::call_once(loaded_, [this] {
        // The program's folder and the system's, never the current directory.
        HMODULE module = LoadLibraryExW(name_.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
            module = LoadLibraryW(name_.c_str()); // a system without the restricted search
        if (module == nullptr) {
            Trace("[%s] The USB driver library is not installed", "D2xxLibrary::Load");
            return;
        }
        module_ = module;
        auto f = std::make_unique<Functions>();
        if (Find(module, "FT_CreateDeviceInfoList", f->createDeviceInfoList) &&
            Find(module, "FT_GetDeviceInfoList", f->getDeviceInfoList) &&
            Find(module, "FT_Open", f->open) && Find(module, "FT_SetBaudRate", f->setBaudRate) &&
            Find(module, "FT_SetDataCharacteristics", f->setDataCharacteristics) &&
            Find(module, "FT_SetFlowControl", f->setFlowControl) &&
            Find(module, "FT_SetLatencyTimer", f->setLatencyTimer) &&
            Find(module, "FT_SetTimeouts", f->setTimeouts) &&
            Find(module, "FT_GetStatus", f->getStatus) && Find(module, "FT_Read", f->read) &&
            Find(module, "FT_Write", f->write) && Find(module, "FT_Close", f->close))
            functions_ = std::move(f);
    });
    return functions_.get();
}

bool D2xxLibrary::Installed() {
    return Library() != nullptr;
}

FtdiStatus D2xxLibrary::CreateDeviceInfoList(std::uint32_t& count) {
    const Functions* f = Library();
    if (!f)
        return kFtDriverNotInstalled;
    DWORD devices = 0;
    const D2xxStatus status = f->createDeviceInfoList(&devices);
    count = devices;
    return Status(status);
}

FtdiStatus D2xxLibrary::GetDeviceInfoList(FtdiDeviceInfoNode* nodes, std::uint32_t& count) {
    const Functions* f = Library();
    if (!f)
        return kFtDriverNotInstalled;
    DWORD filled = count;
    const D2xxStatus status = f->getDeviceInfoList(nodes, &filled);
    count = filled;
    return Status(status);
}

FtdiStatus D2xxLibrary::Open(int index, FtdiHandle& handle) {
    const Functions* f = Library();
    if (!f)
        return kFtDriverNotInstalled;
    D2xxHandle opened = nullptr;
    const D2xxStatus status = f->open(index, &opened);
    handle = status == 0 ? opened : nullptr;
    return Status(status);
}

FtdiStatus D2xxLibrary::SetBaudRate(FtdiHandle handle, std::uint32_t baud) {
    const Functions* f = Library();
    return f ? Status(f->setBaudRate(handle, baud)) : kFtDriverNotInstalled;
}

FtdiStatus D2xxLibrary::SetDataCharacteristics(FtdiHandle handle, std::uint8_t wordLength,
                                               std::uint8_t stopBits, std::uint8_t parity) {
    const Functions* f = Library();
    return f ? Status(f->setDataCharacteristics(handle, wordLength, stopBits, parity))
             : kFtDriverNotInstalled;
}

FtdiStatus D2xxLibrary::SetFlowControl(FtdiHandle handle, std::uint16_t mode, std::uint8_t xon,
                                       std::uint8_t xoff) {
    const Functions* f = Library();
    return f ? Status(f->setFlowControl(handle, mode, xon, xoff)) : kFtDriverNotInstalled;
}

FtdiStatus D2xxLibrary::SetLatencyTimer(FtdiHandle handle, std::uint8_t ms) {
    const Functions* f = Library();
    return f ? Status(f->setLatencyTimer(handle, ms)) : kFtDriverNotInstalled;
}

FtdiStatus D2xxLibrary::SetTimeouts(FtdiHandle handle, std::uint32_t readMs,
                                    std::uint32_t writeMs) {
    const Functions* f = Library();
    return f ? Status(f->setTimeouts(handle, readMs, writeMs)) : kFtDriverNotInstalled;
}

FtdiStatus D2xxLibrary::GetStatus(FtdiHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                  std::uint32_t& eventStatus) {
    const Functions* f = Library();
    if (!f)
        return kFtDriverNotInstalled;
    DWORD rx = 0, tx = 0, events = 0;
    const D2xxStatus status = f->getStatus(handle, &rx, &tx, &events);
    rxQueue = rx;
    txQueue = tx;
    eventStatus = events;
    return Status(status);
}

FtdiStatus D2xxLibrary::Read(FtdiHandle handle, void* buffer, std::uint32_t count,
                             std::uint32_t& read) {
    read = 0;
    const Functions* f = Library();
    if (!f)
        return kFtDriverNotInstalled;
    DWORD got = 0;
    const D2xxStatus status = f->read(handle, buffer, count, &got);
    read = got;
    return Status(status);
}

FtdiStatus D2xxLibrary::Write(FtdiHandle handle, const void* buffer, std::uint32_t count,
                              std::uint32_t& written) {
    written = 0;
    const Functions* f = Library();
    if (!f)
        return kFtDriverNotInstalled;
    DWORD sent = 0;
    // The driver takes a non-const buffer but only reads it.
    const D2xxStatus status = f->write(handle, const_cast<void*>(buffer), count, &sent);
    written = sent;
    return Status(status);
}

FtdiStatus D2xxLibrary::Close(FtdiHandle handle) {
    const Functions* f = Library();
    return f ? Status(f->close(handle)) : kFtDriverNotInstalled;
}

FtdiApi& BuiltInFtdiApi() {
    // Never unloaded: transports of static objects may still close their devices at exit.
    static D2xxLibrary* library = new D2xxLibrary();
    return *library;
}

} // namespace tarvex
