#include "Interrupt.h"

#include <atomic>

#include <windows.h>

namespace tarvexctl {
namespace {

// The console runs its control handlers on a thread of their own.
std::atomic<bool> g_interrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the window, logoff, shutdown: ended as usual
    g_interrupted = true;
    return TRUE;
}

} // namespace

InterruptScope::InterruptScope() {
    g_interrupted = false;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptScope::~InterruptScope() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

bool Interrupted() {
    return g_interrupted;
}

} // namespace tarvexctl
