#include "StopRequest.h"

#include <windows.h>

namespace tarvex::sim {
namespace {

HANDLE StopEvent() {
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI OnConsoleEvent(DWORD) {
    // Ctrl+C, Ctrl+Break, the window closing, logoff, shutdown: all end the run.
    SetEvent(StopEvent());
    return TRUE;
}

} // namespace

void CatchStopRequests() {
    StopEvent();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void WaitForStopRequest() {
    WaitForSingleObject(StopEvent(), INFINITE);
}

void RequestStop() {
    SetEvent(StopEvent());
}

} // namespace tarvex::sim
