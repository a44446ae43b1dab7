#include "transport/win32/CommApi.h"

#include <atomic>

namespace tarvex {
namespace {

class SystemCommApi final : public CommApi {
public:
    HANDLE Open(const std::string& device) override {
        return CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    BOOL Close(HANDLE handle) override { return CloseHandle(handle); }
    BOOL GetState(HANDLE handle, DCB& dcb) override { return GetCommState(handle, &dcb); }
    BOOL SetState(HANDLE handle, DCB& dcb) override { return SetCommState(handle, &dcb); }
    BOOL GetTimeouts(HANDLE handle, COMMTIMEOUTS& timeouts) override {
        return GetCommTimeouts(handle, &timeouts);
    }
    BOOL SetTimeouts(HANDLE handle, COMMTIMEOUTS& timeouts) override {
        return SetCommTimeouts(handle, &timeouts);
    }
    BOOL SetupQueues(HANDLE handle, DWORD inQueue, DWORD outQueue) override {
        return SetupComm(handle, inQueue, outQueue);
    }
    BOOL Purge(HANDLE handle, DWORD flags) override { return PurgeComm(handle, flags); }
    BOOL ClearError(HANDLE handle, DWORD& errors, COMSTAT& status) override {
        return ClearCommError(handle, &errors, &status);
    }
    BOOL Read(HANDLE handle, void* buffer, DWORD count, DWORD& read) override {
        return ReadFile(handle, buffer, count, &read, nullptr);
    }
    BOOL Write(HANDLE handle, const void* buffer, DWORD count, DWORD& written) override {
        return WriteFile(handle, buffer, count, &written, nullptr);
    }
};

std::atomic<CommApi*> installed{nullptr};

CommApi& System() {
    static SystemCommApi api;
    return api;
}

} // namespace

CommApi& GetCommApi() {
    CommApi* api = installed.load();
    return api ? *api : System();
}

CommApi* SetCommApi(CommApi* api) {
    return installed.exchange(api);
}

} // namespace tarvex
