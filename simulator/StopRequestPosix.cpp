#include "StopRequest.h"

#include <csignal>

#include <pthread.h>
#include <unistd.h>

namespace tarvex::sim {
namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

void CatchStopRequests() {
    // Blocked here, the signals stay blocked in every thread started later, so that only
    // sigwait takes them.
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void WaitForStopRequest() {
    const sigset_t signals = StopSignals();
    int signal = 0;
    sigwait(&signals, &signal);
}

void RequestStop() {
    kill(getpid(), SIGTERM);
}

} // namespace tarvex::sim
