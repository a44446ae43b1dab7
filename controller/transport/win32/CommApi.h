#pragma once

#include <windows.h>

#include <string>

namespace tarvex {

// The Win32 communications calls a COM port goes through, one method per call and with the
// call's own types. Serial devices take them from the installed api, so that tests can put a
// fake port where the driver would be.
class CommApi {
public:
    virtual ~CommApi() = default;

    // CreateFile of `device` ("\\.\COM3") for reading and writing, not shared, existing devices
    // only, no overlapped I/O. INVALID_HANDLE_VALUE when it cannot be opened.
    virtual HANDLE Open(const std::string& device) = 0;
    virtual BOOL Close(HANDLE handle) = 0;
    virtual BOOL GetState(HANDLE handle, DCB& dcb) = 0;
    virtual BOOL SetState(HANDLE handle, DCB& dcb) = 0;
    virtual BOOL GetTimeouts(HANDLE handle, COMMTIMEOUTS& timeouts) = 0;
    virtual BOOL SetTimeouts(HANDLE handle, COMMTIMEOUTS& timeouts) = 0;
    // SetupComm: the driver's recommended queue sizes.
    virtual BOOL SetupQueues(HANDLE handle, DWORD inQueue, DWORD outQueue) = 0;
    virtual BOOL Purge(HANDLE handle, DWORD flags) = 0;
    // ClearCommError: clears and returns the line's error flags and its queue counts.
    virtual BOOL ClearError(HANDLE handle, DWORD& errors, COMSTAT& status) = 0;
    virtual BOOL Read(HANDLE handle, void* buffer, DWORD count, DWORD& read) = 0;
    virtual BOOL Write(HANDLE handle, const void* buffer, DWORD count, DWORD& written) = 0;
};

// The api every serial device of the process opens through: the one installed by SetCommApi,
// else the system's. Thread-safe.
CommApi& GetCommApi();
// Installs `api` (null: the system's again) and returns the one installed before (null for the
// system's). The caller keeps `api` alive while it is installed or has devices open.
CommApi* SetCommApi(CommApi* api);

} // namespace tarvex
