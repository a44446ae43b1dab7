#pragma once

#include <sys/types.h>

#include <cstddef>

namespace tarvex::soak {

// The resident memory of a process (0: this one) in KiB, 0 when it cannot be read.
std::size_t ResidentKiB(pid_t pid = 0);

} // namespace tarvex::soak
