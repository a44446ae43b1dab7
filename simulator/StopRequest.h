#pragma once

namespace tarvex::sim {

// How tarvex-sim is told to end: an interrupt from the terminal or the system (Ctrl+C, SIGTERM,
// the console window closing), or RequestStop.

// Call first in main, before any thread starts: from then on interrupts only end the wait below.
void CatchStopRequests();
// Returns once an interrupt or RequestStop came.
void WaitForStopRequest();
void RequestStop();

} // namespace tarvex::sim
