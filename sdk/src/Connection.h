#pragma once

#include "Library.h"

namespace tarvex::sdk {

// The connection search: every adapter of the laser's kind at 921600 baud, then every one again
// at 115200, the device list taken afresh before each pass; the first that answers the probe
// stays with the controller, which reads the laser's state. The caller holds the library lock.
bool ConnectToLaser(Library& library);

} // namespace tarvex::sdk
