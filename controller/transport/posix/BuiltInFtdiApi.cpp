#include "transport/FtdiSerialBackend.h"

namespace tarvex {

// Without a vendor driver on POSIX, the kernel's serial driver presents the adapters as ttys.
FtdiApi& BuiltInFtdiApi() {
    static FtdiSerialBackend backend;
    return backend;
}

} // namespace tarvex
